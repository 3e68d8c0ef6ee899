#include "servercommands.h"

#include "launchcommands.h"
#include "monitor/rconreply.h"
#include "monitor/rconrequest.h"
#include "output.h"
#include "processcontrol.h"
#include "rconcommands.h"
#include "statefiles.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <functional>

namespace tarnctl {

namespace {

using namespace std::chrono_literals;

// Waits up to `seconds` for `gone` to hold.
bool waitFor(double seconds, const std::function<bool()> &gone)
{
    const QDeadlineTimer deadline(qint64(seconds * 1000));
    while (!gone()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    return true;
}

// Asks the server over the remote console to quit. False when it refused
// the password.
bool askToQuit(const Target &target)
{
    RconClient client;
    if (!client.open(target.host, target.port).isEmpty())
        return true;
    client.send(rconDatagram(target.password, quitCommandPart()));
    const QByteArrayList replies = client.collect(1s);
    return replies.isEmpty() || !passwordRefused(replies.first());
}

} // namespace

bool stopWatcher(qint64 pid, double graceSeconds)
{
    endProcess(pid, false);
    if (waitFor(graceSeconds, [pid] { return !processRuns(pid); }))
        return true;
    endProcess(pid, true);
    return waitFor(graceSeconds, [pid] { return !processRuns(pid); });
}

// The remote console's "quit" first, so the server ends cleanly; then the
// watcher is stopped, and killed if it must be.
int runStop(const Options &options)
{
    const StateFiles state = stateFiles();
    // A stale pid file may name a process that is no tarnctl of ours.
    const qint64 watcher = readPidFile(state.watcherPid).value_or(0);
    const bool watched = tarnctlRuns(watcher);
    const Target target = targetOf(Options {});
    const bool accepted = askToQuit(target);
    const auto serverGone = [&] { return !answersStatusPoll(target, 200ms); };
    if (watched) {
        if (!waitFor(options.graceSeconds, [watcher] { return !processRuns(watcher); })
            && !stopWatcher(watcher, options.graceSeconds)) {
            complain(QStringLiteral("tarnctl process %1 does not end").arg(watcher));
            return 1;
        }
    }
    QFile::remove(state.watcherPid);
    QFile::remove(state.serverPid);
    if (waitFor(options.graceSeconds, serverGone))
        return 0;
    if (!accepted) {
        complain(QStringLiteral("%1 refused the password").arg(target.address()));
        return exitRefused;
    }
    complain(QStringLiteral("a server still answers on %1; it was not started by \"tarnctl "
                            "start\", so stop it where it was started")
                 .arg(target.address()));
    return 1;
}

int runRestart(const Options &options)
{
    if (const int status = runStop(options); status != 0)
        return status;
    Options start = options;
    start.command = Command::Start;
    return runStart(start);
}

} // namespace tarnctl
