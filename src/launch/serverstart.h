#pragma once

#include "platform/process.h"

#include <QString>

// Starting the game's server as a launch does: by its full path below the
// short form of the game folder, in that folder, with the server arguments.

inline const QString serverProgram = QStringLiteral("tarn.exe");

// The server's full path below the folder's short form.
QString serverProgramPath(const QString &shortFolder);

// Why the server could not be started, in words that name the game folder as
// typed: `reason` from the platform, or "" when no short form was found.
QString serverStartFailure(const QString &gameFolder, const QString &reason);

// Starts the server kept in `process`, its output appended to the host path
// `logFile`. Returns what failed, in words, or "".
QString startWatchedServer(platform::WatchedProcess &process, const QString &gameFolder,
    const QString &shortFolder, const QString &arguments, const QString &logFile);
