#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

// The text of Dedicated.cfg and of the two map files, built from what the
// main window holds. Lines end in CR LF; the files are Windows-1252 bytes.

inline const QString crlf = QStringLiteral("\r\n");

// The password the server gets when the operator gave none it can use.
inline const QString defaultRconPassword = QStringLiteral("hushed");

// "0", "1" or "2": a check box's state as the server reads it.
QString checkValue(Qt::CheckState state);

// The arguments the server is started with: dedicated mode on the port as
// typed. The monitor reads the port back out of them, as the server does.
QString serverArguments(const QString &port);

QString configHeaderLine(const QString &launcherTitle, const QDateTime &when);

QString serverInfoLines(
    Qt::CheckState publicServer, const QString &hostName, const QString &welcomeMessage);

// What decides the lines between the gravity line and the password lines.
struct OptionSwitches
{
    QString gravity;
    QStringList customCommands;
    bool developer = false;
    bool logConsole = false;
    bool logStats = false;
    bool reduceLag = false;
    QString password;
    QString rconPassword;
};

// Every line ends in CR LF.
QString otherLines(const OptionSwitches &options);

// The single setting lines, in the order the file carries them.
struct SettingLines
{
    QString maxClients;
    QString fragLimit;
    QString timeLimit;
    QString maxSpectators;
    QString suicidePenalty;
    QString moveScale;
    QString allowUpload;
    QString allowDownload;
    QString reconnectLimit;
    QString controlLimit;
    QString ctfLoops;
};

// The map lines: the start map alone, or the map-cycle file and the first
// map of the cycle.
QString startMapLine(const QString &map);
QString mapCycleLines(const QString &firstMap);

struct ConfigParts
{
    QString headerLine;
    QString serverInfoLines;
    QString deathmatchLine;
    QString cheatsLine;
    QString dmFlagsLine;
    QString otherLines;
    SettingLines settings;
    QString mapLines;
};

// The whole configuration; its last line has no CR LF after it.
QString composeConfigText(const ConfigParts &parts);

// USER\MAPLISTS\TarnStarter.lst: one line per map longer than one character.
QByteArray mapCycleFile(const QStringList &cycle);

// TarnStarter.map: every map in double quotes, then a line of two quotes.
QByteArray mapNameFile(const QStringList &cycle);
