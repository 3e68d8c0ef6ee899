#include "serverprocess.h"

#include <QDirIterator>
#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarnctl {

namespace {

// The stop signals reach the event loop through a socket: a signal handler
// may do little more than write to one.
int signalSockets[2] = {-1, -1};

// Where each server, as it starts, tells the guard its process group.
int guardPipe = -1;

void noteSignal(int number)
{
    const int savedErrno = errno;
    const char byte = char(number);
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[1], &byte, 1);
    errno = savedErrno;
}

void signalServer(const QProcess &server, int signalNumber)
{
    const qint64 pid = server.processId();
    if (pid > 0 && ::kill(pid_t(-pid), signalNumber) != 0)
        ::kill(pid_t(pid), signalNumber);
}

void tellGuard(std::int32_t group)
{
    if (guardPipe >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(guardPipe, &group, sizeof group);
    }
}

// The guard: a child of tarnctl's that learns each server's process group
// and, once tarnctl is gone (its end of the pipe closes, however it ended),
// stops that group: SIGTERM, then SIGKILL. It was forked from a process with
// threads, so it makes only async-signal-safe calls.
[[noreturn]] void guard(int pipe, int graceMs)
{
    // Neither a Ctrl+C at the terminal nor a stop meant for tarnctl ends it.
    ::setpgid(0, 0);
    ::prctl(PR_SET_NAME, "tarnctl-guard");
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    for (int number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        ::sigaction(number, &ignore, nullptr);
    if (pipe > 0)
        ::close_range(0, unsigned(pipe) - 1, 0);
    ::close_range(unsigned(pipe) + 1, ~0U, 0);
    std::int32_t group = 0;
    for (;;) {
        std::int32_t value = 0;
        const ssize_t got = ::read(pipe, &value, sizeof value);
        if (got == sizeof value)
            group = value;
        else if (got >= 0 || errno != EINTR)
            break;
    }
    if (group > 0 && ::kill(-group, SIGTERM) == 0) {
        const timespec step {0, 100 * 1000 * 1000};
        for (int waited = 0; waited < graceMs && ::kill(-group, 0) == 0; waited += 100)
            ::nanosleep(&step, nullptr);
        ::kill(-group, SIGKILL);
    }
    ::_exit(0);
}

} // namespace

QString guardServers(std::chrono::milliseconds grace)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return QStringLiteral("cannot make a pipe: %1").arg(qt_error_string(errno));
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(ends[0]);
        ::close(ends[1]);
        return QStringLiteral("cannot start a process: %1").arg(qt_error_string(errno));
    }
    if (child == 0)
        guard(ends[0], int(std::min<qint64>(grace.count(), INT_MAX)));
    ::close(ends[0]);
    // A guard from an earlier watch in this process has nothing left to do.
    if (guardPipe >= 0)
        ::close(guardPipe);
    guardPipe = ends[1];
    return {};
}

void prepareServerProcess(QProcess &server)
{
    server.setChildProcessModifier([parent = ::getpid()] {
        // A process group of its own: a terminal's Ctrl-C reaches tarnctl
        // alone, which passes it on, and a stop reaches the server's own
        // children too.
        ::setpgid(0, 0);
        tellGuard(std::int32_t(::getpid()));
        // Should tarnctl die without a chance to stop the server, the server
        // is told to stop at once; the guard sees to the rest.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::raise(SIGTERM);
        // tarnctl ignores a closed output; the server must not inherit that.
        ::signal(SIGPIPE, SIG_DFL);
    });
}

void setServerArguments(QProcess &server, const QStringList &split, const QString &)
{
    server.setArguments(split);
}

QString serverStarted(const QProcess &)
{
    // The child process modifier has tied the server to tarnctl already.
    return {};
}

bool watchStopRequests(QObject *context, std::function<void(int)> stop)
{
    std::signal(SIGPIPE, SIG_IGN);
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0)
        return false;
    auto *notifier = new QSocketNotifier(signalSockets[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [stop] {
        char number = 0;
        if (::read(signalSockets[0], &number, 1) == 1)
            stop(number);
    });
    struct sigaction action = {};
    action.sa_handler = noteSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        sigaction(number, &action, nullptr);
    return true;
}

void stopWatchingStopRequests()
{
    for (int number : {SIGTERM, SIGINT, SIGHUP})
        std::signal(number, SIG_DFL);
}

void askServerToStop(const QProcess &server, int signalNumber)
{
    signalServer(server, signalNumber);
}

void killServer(QProcess &server)
{
    signalServer(server, SIGKILL);
}

// From /proc: a member that ended but was not reaped yet (its parent may be
// an init that reaps late) no longer counts.
bool serverGroupRuns(qint64 serverId)
{
    QDirIterator entries(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        entries.next();
        QFile file(entries.filePath() + QStringLiteral("/stat"));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray stat = file.readAll();
        // "pid (name) state parent group ...": the name may hold anything.
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields.at(0) != "Z" && fields.at(2).toLongLong() == serverId)
            return true;
    }
    return false;
}

void endServerGroup(qint64 serverId, bool force)
{
    if (serverId > 0)
        ::kill(pid_t(-serverId), force ? SIGKILL : SIGTERM);
}

void serverGroupGone(qint64)
{
    tellGuard(0);
}

} // namespace tarnctl
