#pragma once

#include "platform/process.h"

#include <QString>

// The output of the server "Go" starts goes to a file of the launcher's,
// beside the settings store (or, where the store is the system's registry,
// in the user's local application data), so that a server that ends at
// once can say why. One run's output is kept in "server.log", the run
// before in "server.log.1"; neither grows past serverLogLimit.

inline constexpr qint64 serverLogLimit = 1024 * 1024;

// The log file's host path; its folder is made when missing.
QString serverLogFile();

// A new run begins a new log; the previous one is kept as "<path>.1".
void startServerLog(const QString &path);

// Keeps a log that a running server appends to within `limit`: past it, the
// file is copied to "<path>.1" and emptied, and the server's next line lands
// at its start.
void boundServerLog(const QString &path, qint64 limit = serverLogLimit);

// The last `count` lines of the log that hold anything.
QStringList lastLogLines(const QString &path, int count);

// How a server ended, in words: "exit status 1", "signal 9".
QString processEndWords(const platform::ProcessEnd &end);
