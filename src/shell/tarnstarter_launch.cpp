// "Go": save, write the configuration and start the game's server.

#include "launch/configtext.h"
#include "launch/gamefolder.h"
#include "launch/shortpath.h"
#include "platform/process.h"
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
#include <QFile>
#include <QSaveFile>
#include <QScopedValueRollback>

namespace {

const QString serverProgram = QStringLiteral("tarn.exe");
const QString launcherCaption = QStringLiteral("Tarn Server Launcher");

// Writes a temporary file that replaces the old one only once it is
// complete, so a crash or a full disk leaves the old file as it was. The
// flush is checked here: commit() misses a write that fails while flushing
// and would put an empty file in place of the old one. Returns why it
// failed, or "".
QString replaceFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush()
        && file.commit())
        return {};
    return file.errorString();
}

// The previous configuration becomes the backup; without one there is no
// backup either. When the backup cannot be written the configuration is
// left as it is, so the previous one is never lost. Returns what failed, in
// words naming the file as the operator typed its folder, or "".
QString writeConfiguration(
    const QString &gameFolder, const QString &shortFolder, const QByteArray &text)
{
    const QString config = hostPath(shortFolder + QStringLiteral("\\USER\\Dedicated.cfg"));
    const QString backup = hostPath(shortFolder + QStringLiteral("\\USER\\Dedicated.bak"));
    const QString shownConfig = gameFolder + QStringLiteral("\\USER\\Dedicated.cfg");
    if (shortFolder.isEmpty() || config.isEmpty() || backup.isEmpty())
        return QStringLiteral("%1 could not be written: the folder does not exist.")
            .arg(shownConfig);
    QFile previous(config);
    if (previous.open(QIODevice::ReadOnly)) {
        const QString reason = replaceFile(backup, previous.readAll());
        if (!reason.isEmpty())
            return QStringLiteral("The backup %1\\USER\\Dedicated.bak could not be written (%2), "
                                  "so %3 was left as it was.")
                .arg(gameFolder, reason, shownConfig);
    } else {
        QFile::remove(backup);
    }
    const QString reason = replaceFile(config, text);
    if (!reason.isEmpty())
        return QStringLiteral("%1 could not be written: %2.").arg(shownConfig, reason);
    return {};
}

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
    // The server is started by its full path in the game folder, so that no
    // other "tarn.exe" (the launcher's own folder among them) runs instead.
    // A server that cannot start leaves the window in view, so the operator
    // can mend what the message names.
    const QString arguments = LaunchCommand.mid(serverProgram.size() + 1);
    std::string error;
    if (gameFolderShort.isEmpty()
        || !platform::startDetached(
            (gameFolderShort + QLatin1Char('\\') + serverProgram).toStdString(),
            arguments.toStdString(), gameFolderShort.toStdString(), &error)) {
        launchFailures.append(QStringLiteral("The server could not be started: %1.")
                                  .arg(error.empty() ? ui->Text1->text() + QStringLiteral("\\")
                                              + serverProgram + QStringLiteral(" was not found")
                                                     : QString::fromStdString(error)));
        return;
    }

    sysTray->hideWindow();
    if (ui->Check23->checkState() == Qt::Checked)
        showSingleWindow(cmdList);
    closeIfOpen(mapAdd);
    closeIfOpen(about);
    closeIfOpen(help);
}
