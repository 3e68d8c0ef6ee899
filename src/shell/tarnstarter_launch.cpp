// "Go": save, write the configuration and start the game's server.

#include "info/frmabout.h"
#include "info/frmcmdlist.h"
#include "info/frmhelp.h"
#include "launch/configtext.h"
#include "launch/module1.h"
#include "maps/frmmapadd.h"
#include "monitor/svrmon.h"
#include "platform/process.h"
#include "platform/winpath.h"
#include "shell/singlewindow.h"
#include "shell/tarnstarter.h"
#include "shell/textcodec.h"
#include "ui_tarnstarter.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QScopedValueRollback>

namespace {

QString hostPath(const QString &windowsPath)
{
    return QString::fromStdString(platform::hostPath(windowsPath.toStdString()));
}

const QString serverProgram = QStringLiteral("tarn.exe");

// Writes a temporary file that replaces the old one only once it is
// complete, so a crash or a full disk leaves the old file as it was. The
// flush is checked here: commit() misses a write that fails while flushing
// and would put an empty file in place of the old one.
void replaceFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush())
        file.commit();
}

// The previous configuration becomes the backup; without one there is no
// backup either. A backup that cannot be written keeps the one before.
void writeConfiguration(const QString &shortFolder, const QByteArray &text)
{
    const QString config = hostPath(shortFolder + QStringLiteral("\\USER\\Dedicated.cfg"));
    const QString backup = hostPath(shortFolder + QStringLiteral("\\USER\\Dedicated.bak"));
    if (config.isEmpty() || backup.isEmpty())
        return;
    QFile previous(config);
    if (previous.open(QIODevice::ReadOnly))
        replaceFile(backup, previous.readAll());
    else
        QFile::remove(backup);
    replaceFile(config, text);
}

} // namespace

void TarnStarter::Command1_Click()
{
    // The custom-command loop lets events through; a second press of "Go"
    // then must not start a second launch inside the first.
    if (launching)
        return;
    QScopedValueRollback<bool> guard(launching, true);

    SaveSettings();
    showSingleWindow(svrMon, monitorSession);
    LaunchCommand = QStringLiteral("+set dedicated 1 +set hostport ") + ui->Text5->text();
    const QString headerLine = configHeaderLine(LauncherTitle, QDateTime::currentDateTime());

    BuildDeathmatchLine();
    BuildDMFlagsLine();
    BuildOptionLines();
    WriteMapListFiles();
    BuildServerInfoLines();
    ComposeConfigText(headerLine);
    OtherLines.clear();

    gameFolderShort = GetShortPath(ui->Text1->text());
    writeConfiguration(gameFolderShort, toWindows1252(ConfigText));
    LaunchCommand = serverProgram + QLatin1Char(' ') + LaunchCommand;
    const QString current = hostPath(gameFolderShort);
    if (!gameFolderShort.isEmpty() && !current.isEmpty())
        QDir::setCurrent(current);
    StartServer();
}

void TarnStarter::StartServer()
{
    SysTray::hideWindow(this);
    if (ui->Check23->checkState() == Qt::Checked)
        showSingleWindow(cmdList);

    // The server is started by its full path in the game folder, so that no
    // other "tarn.exe" (the launcher's own folder among them) runs instead.
    const QString arguments = LaunchCommand.mid(serverProgram.size() + 1);
    std::string error;
    if (gameFolderShort.isEmpty()
        || !platform::startDetached(
            (gameFolderShort + QLatin1Char('\\') + serverProgram).toStdString(),
            arguments.toStdString(), gameFolderShort.toStdString(), &error))
        return;

    closeIfOpen(mapAdd);
    closeIfOpen(about);
    closeIfOpen(help);
}
