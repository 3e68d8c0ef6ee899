// "Go": save, write the configuration and start the game's server.

#include "launch/configtext.h"
#include "launch/launchsequence.h"
#include "launch/serverstart.h"
#include "shell/frmabout.h"
#include "shell/frmcmdlist.h"
#include "shell/frmhelp.h"
#include "shell/frmmapadd.h"
#include "shell/messagebox.h"
#include "shell/singlewindow.h"
#include "shell/svrmon.h"
#include "shell/tarnstarter.h"
#include "store/shortpath.h"
#include "store/textcodec.h"
#include "ui_tarnstarter.h"

#include <QDir>
#include <QScopedValueRollback>

namespace {

const QString launcherCaption = QStringLiteral("Tarn Server Launcher");

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

QString TarnStarter::StartServer(const ServerLaunch &server)
{
    showSingleWindow(svrMon, monitorSession);
    const QString current = hostPath(server.shortFolder);
    if (!current.isEmpty())
        QDir::setCurrent(current);
    // A server that cannot start leaves the window in view, so the operator
    // can mend what the message names.
    const QString failure = startServer(server.gameFolder, server.shortFolder, server.arguments);
    if (!failure.isEmpty())
        return failure;

    sysTray->hideWindow();
    if (ui->Check23->checkState() == Qt::Checked)
        showSingleWindow(cmdList);
    closeIfOpen(mapAdd);
    closeIfOpen(about);
    closeIfOpen(help);
    return {};
}
