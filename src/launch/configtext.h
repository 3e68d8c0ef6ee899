#pragma once

#include "launch/launchform.h"
#include "launch/rconpassword.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

// The text of Dedicated.cfg and of the two map files, built from a launch
// form. Lines end in CR LF; the files are Windows-1252 bytes.

inline const QString crlf = QStringLiteral("\r\n");

// The launcher's name and version, as the configuration's first line and the
// store carry it.
inline const QString launcherTitle = QStringLiteral("Tarn Server Launcher v1.8");

// The arguments the server is started with: dedicated mode on the port as
// typed. The monitor reads the port back out of them, as the server does.
QString serverArguments(const QString &port);

QString configHeaderLine(const QString &launcherTitle, const QDateTime &when);

// The whole of Dedicated.cfg for a launch pressed at `when`; its last line
// has no CR LF after it.
QString configText(const LaunchForm &form, const QDateTime &when);

// The maps the map files are written for: the cycle when it is in use and
// holds any, else none.
QStringList mapCycleWritten(const LaunchForm &form);

// USER\MAPLISTS\TarnStarter.lst: one line per map longer than one character.
QByteArray mapCycleFile(const QStringList &cycle);

// TarnStarter.map: every map in double quotes, then a line of two quotes.
QByteArray mapNameFile(const QStringList &cycle);
