#pragma once

#include "platform/process.h"

#include <QString>

// Where the state of the server a settings store starts is kept: the store
// file's own folder (%LOCALAPPDATA%\TarnStarter for the Windows registry),
// the files named with the store's name as a prefix unless it is the
// default "registry.db": /var/lib/tarnstarter-ctf/server.log, or
// /srv/stores/ctf.server.log for /srv/stores/ctf.db. The folder is made
// when missing.
QString stateFilePath(const QString &name);

// The output of the server "Go" starts goes to "server.log" there, so that
// a server that ends at once can say why; the run before is kept in
// "server.log.1", and neither grows past serverLogLimit.
inline constexpr qint64 serverLogLimit = 1024 * 1024;

QString serverLogFile();

// A new run begins a new log; the previous one is kept as "<path>.1".
void startServerLog(const QString &path);

// Keeps a log that a running server appends to within `limit`: past it, the
// file is copied to "<path>.1" and emptied, and the server's next line lands
// at its start.
void boundServerLog(const QString &path, qint64 limit = serverLogLimit);

// The last `count` lines of what a text file gained past `from` bytes, for
// a message; the whole file's when it has been started over since.
QString lastLines(const QString &path, qint64 from, int count);

// How a server ended, in words: "exit status 1", "signal 9".
QString processEndWords(const platform::ProcessEnd &end);
