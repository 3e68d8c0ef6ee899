#pragma once

// Where a detached server's watcher keeps its log and process ids: the
// instance's state folder. An instance is a store, so the folder is the
// store file's own (%LOCALAPPDATA%\TarnStarter for the Windows registry),
// and the files carry the store's name as a prefix unless it is the
// default "registry.db": /var/lib/tarnstarter-ctf/tarnctl.log, or
// /srv/stores/ctf.tarnctl.log for /srv/stores/ctf.db.

#include <QString>
#include <optional>

namespace tarnctl {

struct StateFiles
{
    QString log; // the watcher's and the server's output
    QString watcherPid; // the watching tarnctl's process id
    QString serverPid; // the running server's process id
};

StateFiles stateFiles();

// The process id a pid file holds, if it holds one.
std::optional<qint64> readPidFile(const QString &path);
// Writes the file whole, or returns why not.
QString writePidFile(const QString &path, qint64 pid);

// The last `count` lines of what a text file gained past `from` bytes, for
// a message; the whole file's when it has been started over since.
QString lastLines(const QString &path, qint64 from, int count);

} // namespace tarnctl
