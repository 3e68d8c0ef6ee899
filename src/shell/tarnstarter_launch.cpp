// "Go": save, write the configuration and start the game's server.

#include "launch/configfiles.h"
#include "launch/configtext.h"
#include "launch/gamefolder.h"
#include "launch/serverstart.h"
#include "launch/shortpath.h"
#include "shell/frmabout.h"
#include "shell/frmcmdlist.h"
#include "shell/frmhelp.h"
#include "shell/frmmapadd.h"
#include "shell/messagebox.h"
#include "shell/singlewindow.h"
#include "shell/svrmon.h"
#include "shell/tarnstarter.h"
#include "store/textcodec.h"
#include "ui_tarnstarter.h"

#include <QDir>
#include <QScopedValueRollback>

namespace {

const QString launcherCaption = QStringLiteral("Tarn Server Launcher");

} // namespace

void TarnStarter::Command1_Click()
{
    // The custom-command loop lets events through; a second press of "Go"
    // then must not start a second launch inside the first.
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
    const QString gameFolder = ui->Text1->text();
    if (const QString problem = gameFolderProblem(gameFolder); !problem.isEmpty()) {
        showMessageBox(this, QMessageBox::Warning, launcherCaption, problem);
        return;
    }
    showSingleWindow(svrMon, monitorSession);
    LaunchCommand = serverArguments(ui->Text5->text());
    const QDateTime pressed = QDateTime::currentDateTime();

    // A close asked for while the custom commands were read, or while the
    // map-list message was open, ends the launch before anything is written
    // or started.
    const LaunchForm form = launchForm();
    if (pendingClose != PendingClose::None)
        return;
    WriteMapListFiles(form);
    if (pendingClose != PendingClose::None)
        return;
    ConfigText = configText(form, pressed);

    gameFolderShort = GetShortPath(gameFolder);
    launchFailures.clear();
    if (const QString failure
        = writeConfiguration(gameFolder, gameFolderShort, toWindows1252(ConfigText));
        !failure.isEmpty())
        launchFailures.append(failure);
    LaunchCommand = serverProgram + QLatin1Char(' ') + LaunchCommand;
    const QString current = hostPath(gameFolderShort);
    if (!gameFolderShort.isEmpty() && !current.isEmpty())
        QDir::setCurrent(current);
    StartServer();
    if (!launchFailures.isEmpty())
        showMessageBox(
            this, QMessageBox::Critical, launcherCaption, launchFailures.join(QLatin1Char('\n')));
}

void TarnStarter::StartServer()
{
    // A server that cannot start leaves the window in view, so the operator
    // can mend what the message names.
    const QString failure = startServer(
        ui->Text1->text(), gameFolderShort, LaunchCommand.mid(serverProgram.size() + 1));
    if (!failure.isEmpty()) {
        launchFailures.append(failure);
        return;
    }

    sysTray->hideWindow();
    if (ui->Check23->checkState() == Qt::Checked)
        showSingleWindow(cmdList);
    closeIfOpen(mapAdd);
    closeIfOpen(about);
    closeIfOpen(help);
}
