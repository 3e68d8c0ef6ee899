#pragma once

// The processes of a detached start, by their ids: one file per system,
// picked by the build.

#include <QString>
#include <QStringList>
#include <optional>

namespace tarnctl {

// A tarnctl started in the background, in a session of its own, with no
// terminal, no input, and its output appended to a log file. It runs on
// when this object and this tarnctl are gone.
class BackgroundProcess
{
public:
    BackgroundProcess() = default;
    BackgroundProcess(const BackgroundProcess &) = delete;
    BackgroundProcess &operator=(const BackgroundProcess &) = delete;
    ~BackgroundProcess();

    // Starts this same program with `arguments`; returns why not, or "".
    QString start(const QStringList &arguments, const QString &logFile);
    qint64 pid() const { return id; }
    // Its exit status once it has ended (-1 when a signal ended it).
    std::optional<int> ended();

private:
    qint64 id = 0;
    void *handle = nullptr;
};

// Whether `pid` is a running tarnctl (this same program): a process id in a
// stale pid file may have gone to another program since.
bool tarnctlRuns(qint64 pid);
// Whether any process runs as `pid`.
bool processRuns(qint64 pid);

// Asks a process to stop (SIGTERM), or with `kill` ends it outright.
void endProcess(qint64 pid, bool kill);

} // namespace tarnctl
