// "Go": save, write the configuration and start the game's server.

#include "launch/configtext.h"
#include "launch/gamefolder.h"
#include "launch/launchsequence.h"
#include "launch/serverlog.h"
#include "launch/serverport.h"
#include "launch/serverstart.h"
#include "shell/frmabout.h"
#include "shell/frmcmdlist.h"
#include "shell/frmhelp.h"
#include "shell/frmmapadd.h"
#include "shell/messagebox.h"
#include "shell/serverwatch.h"
#include "shell/singlewindow.h"
#include "shell/svrmon.h"
#include "shell/tarnstarter.h"
#include "store/settingsstore.h"
#include "store/settingstable.h"
#include "store/shortpath.h"
#include "store/textcodec.h"
#include "ui_tarnstarter.h"

#include <QDir>
#include <QScopedValueRollback>

namespace {

const QString launcherCaption = QStringLiteral("Tarn Server Launcher");

// The password the running server was given: the one stored by the launch
// that started it.
QString storedRconPassword()
{
    return rconPasswordSent(loadLaunchSettings().rconPassword);
}

} // namespace

void TarnStarter::Command1_Click()
{
    // A message box of the launch runs an event loop of its own; a second
    // press of "Go" then must not start a second launch inside the first.
    if (launching)
        return;
    {
        QScopedValueRollback<bool> guard(launching, true);
        launch();
    }
    // "Exit" or the close box during the launch waited for it to end.
    const PendingClose pending = std::exchange(pendingClose, PendingClose::None);
    if (pending == PendingClose::Exit)
        Command3_Click();
    else if (pending == PendingClose::CloseBox)
        close();
}

void TarnStarter::launch()
{
    // A port the server cannot listen on, and a server that already runs,
    // are settled before anything is written or started.
    const QString portText = ui->Text5->text();
    const std::optional<quint16> port = launchedServerPort(portText);
    if (!port) {
        SaveSettings();
        showMessageBox(this, QMessageBox::Warning, launcherCaption, portProblem(portText));
        return;
    }
    if (gameFolderProblem(ui->Text1->text()).isEmpty() && !settleRunningServer(*port))
        return;
    if (pendingClose != PendingClose::None)
        return;
    launchPort = *port;
    SaveSettings();
    launchFrom(launchForm(), QDateTime::currentDateTime(), true);
}

void TarnStarter::launchFrom(const LaunchForm &form, const QDateTime &pressed, bool start)
{
    StartStep startStep;
    if (start)
        startStep = [this](const ServerLaunch &server) { return StartServer(server); };
    const LaunchResult result = runLaunch(form, pressed, startStep);
    if (!result.gameFolderProblem.isEmpty()) {
        showMessageBox(this, QMessageBox::Warning, launcherCaption, result.gameFolderProblem);
        return;
    }
    if (result.mapFilesFailed)
        showMessageBox(this, QMessageBox::Critical, QStringLiteral("Error Writing to Maplist"),
            QStringLiteral("Error writing to ") + upperCp1252(result.server.gameFolder)
                + QStringLiteral("\\USER\\MAPLISTS\\TarnStarter.lst") + crlf
                + QStringLiteral("Try creating directory manually."));
    QStringList failures;
    if (!result.configurationFailure.isEmpty())
        failures.append(result.configurationFailure);
    if (start && !result.filesWritten())
        failures.append(QStringLiteral(
            "The server was not started, so that it does not run on a stale configuration."));
    if (!result.startFailure.isEmpty())
        failures.append(result.startFailure);
    if (!failures.isEmpty())
        showMessageBox(this, QMessageBox::Critical, launcherCaption, failures.join(u'\n'));
}

bool TarnStarter::settleRunningServer(quint16 port)
{
    platform::WatchedProcess *own = monitorSession->server.get();
    if (own && own->ended())
        own = nullptr;
    if (!own && !udpPortTaken(port))
        return true;
    const quint16 runningPort = own ? startedPort : port;
    const QString question = own
        ? QStringLiteral("The server is running on port %1. Stop it and start it again "
                         "with the new settings?")
        : QStringLiteral("Another server is running on port %1. Stop it and start this one "
                         "with the new settings?");
    if (showMessageBox(this, QMessageBox::Question, launcherCaption, question.arg(runningPort),
            QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return false;
    serverWatch->stop();
    if (stopServer(own, runningPort, storedRconPassword()))
        return true;
    showMessageBox(this, QMessageBox::Warning, launcherCaption,
        QStringLiteral("The server on port %1 did not stop, so no other was started.")
            .arg(runningPort));
    return false;
}

QString TarnStarter::StartServer(const ServerLaunch &server)
{
    openMonitor();
    const QString current = hostPath(server.shortFolder);
    if (!current.isEmpty())
        QDir::setCurrent(current);
    const QString logFile = serverLogFile();
    startServerLog(logFile);
    auto process = std::make_shared<platform::WatchedProcess>();
    const QString failure = startWatchedServer(
        *process, server.gameFolder, server.shortFolder, server.arguments, logFile);
    // A server that cannot start leaves the window in view, so the operator
    // can mend what the message names.
    if (!failure.isEmpty())
        return failure;
    monitorSession->server = process;
    startedPort = launchPort;
    serverWatch->watch(process, launchPort, storedRconPassword(), logFile);

    sysTray->hideWindow();
    if (ui->Check23->checkState() == Qt::Checked)
        showSingleWindow(cmdList);
    closeIfOpen(mapAdd);
    closeIfOpen(about);
    closeIfOpen(help);
    return {};
}

// A server that ended before it answered brings the window back with what
// it printed last.
void TarnStarter::serverEndedAtOnce(const QString &how, const QString &logFile)
{
    sysTray->restore();
    QString text = QStringLiteral("The server stopped right after it started (%1).").arg(how);
    const QString lines = lastLines(logFile, 0, 10);
    if (lines.trimmed().isEmpty())
        text += QStringLiteral(" It printed nothing.");
    else
        text += QStringLiteral(" Its last lines, from %1:\n\n%2")
                    .arg(QDir::toNativeSeparators(logFile), lines);
    showMessageBox(this, QMessageBox::Critical, launcherCaption, text);
}
