#pragma once

// Where a detached server's watcher keeps its log and process ids: the
// instance's state folder, as stateFilePath() names it (an instance is a
// store): /var/lib/tarnstarter-ctf/tarnctl.log, or
// /srv/stores/ctf.tarnctl.log for /srv/stores/ctf.db.

#include "launch/serverlog.h"

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

} // namespace tarnctl
