// Turning the main window into Dedicated.cfg and the two map files.

#include "launch/configtext.h"
#include "platform/winpath.h"
#include "shell/messagebox.h"
#include "shell/tarnstarter.h"
#include "store/settingsstore.h"
#include "store/textcodec.h"
#include "ui_tarnstarter.h"

#include <QCoreApplication>
#include <QFile>

namespace {

QString hostPath(const QString &windowsPath)
{
    return QString::fromStdString(platform::hostPath(windowsPath.toStdString()));
}

bool writeFile(QFile &file, const QByteArray &bytes)
{
    return file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

void TarnStarter::BuildServerInfoLines()
{
    ServerInfoLines
        = serverInfoLines(ui->Check17->checkState(), ui->Text2->text(), ui->Text3->text());
}

void TarnStarter::BuildOptionLines()
{
    SettingLines &s = settingLines;
    s.suicidePenalty = QStringLiteral("set sv_suicidepenalty ") + ui->Text12->text();
    s.moveScale = QStringLiteral("set g_movescale ") + ui->Text11->text();
    s.allowUpload = QStringLiteral("set allow_upload ") + checkValue(ui->Check20->checkState());
    s.allowDownload = QStringLiteral("set allow_download ") + checkValue(ui->Check21->checkState());
    s.reconnectLimit = QStringLiteral("set sv_reconnect_limit ") + ui->Text13->text();
    s.fragLimit = QStringLiteral("set fraglimit ") + ui->Text4->text();
    s.timeLimit = QStringLiteral("set timelimit ") + ui->Text6->text();
    s.maxClients = QStringLiteral("set maxclients ") + ui->Text7->text();
    s.maxSpectators = QStringLiteral("set maxspectators ") + ui->Text8->text();
    s.controlLimit = QStringLiteral("set control_limit ") + ui->Text10->text();
    s.ctfLoops = QStringLiteral("set ctf_loops ") + ui->Text9->text();

    OptionSwitches options;
    options.gravity = ui->Text14->text();
    if (ui->Check26->checkState() == Qt::Checked) {
        for (const NumberedEntry &entry : readNumberedList(
                 launcherKey + QStringLiteral("\\CustomCMDS"), RemovedEntries::Skip, [this] {
                     QCoreApplication::processEvents();
                     return pendingClose == PendingClose::None;
                 }))
            options.customCommands.append(entry.text);
    }
    options.developer = ui->Check27->checkState() == Qt::Checked;
    options.logConsole = ui->Check29->checkState() == Qt::Checked;
    options.logStats = ui->Check30->checkState() == Qt::Checked;
    options.reduceLag = ui->Check25->checkState() == Qt::Checked;
    options.password = ui->Text15->text();
    options.rconPassword = ui->Text16->text();
    OtherLines += otherLines(options);

    CheatsLine = QStringLiteral("set cheats ")
        + (ui->Check18->checkState() == Qt::Checked ? QLatin1Char('1') : QLatin1Char('0'));
}

void TarnStarter::WriteMapListFiles()
{
    const QList<QListWidgetItem *> selected = ui->List1->selectedItems();
    if (selected.isEmpty()) {
        const QListWidgetItem *second = ui->List1->item(1);
        MapLines = startMapLine(second ? second->text() : QString());
    } else {
        MapLines = startMapLine(selected.first()->text().toLower());
    }

    // "Use this Maplist" decides, as it promises: the cycle is used only
    // when the box is both enabled and ticked.
    if (!ui->Check22->isEnabled() || ui->Check22->checkState() != Qt::Checked)
        return;
    const QStringList cycle = mapCycle.maps();
    if (cycle.isEmpty())
        return;

    const QString gameFolder = ui->Text1->text();
    const QString listPath
        = hostPath(gameFolder + QStringLiteral("\\USER\\MAPLISTS\\TarnStarter.lst"));
    if (!listPath.isEmpty())
        QFile::remove(listPath);
    MapLines = mapCycleLines(cycle.first());

    QFile listFile(listPath);
    QFile nameFile(hostPath(gameFolder + QStringLiteral("\\TarnStarter.map")));
    const bool written = !listPath.isEmpty() && listFile.open(QIODevice::WriteOnly)
        && !nameFile.fileName().isEmpty()
        && nameFile.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && writeFile(nameFile, mapNameFile(cycle)) && writeFile(listFile, mapCycleFile(cycle));
    if (!written) {
        showMessageBox(this, QMessageBox::Critical, QStringLiteral("Error Writing to Maplist"),
            QStringLiteral("Error writing to ") + upperCp1252(gameFolder)
                + QStringLiteral("\\USER\\MAPLISTS\\TarnStarter.lst") + crlf
                + QStringLiteral("Try creating directory manually."));
    }
}

void TarnStarter::ComposeConfigText(const QString &headerLine)
{
    ConfigText = composeConfigText({headerLine, ServerInfoLines, DeathmatchLine, CheatsLine,
        DMFlagsLine, OtherLines, settingLines, MapLines});
}
