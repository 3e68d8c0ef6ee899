#include "serverprocess.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarnctl {

namespace {

// The stop signals reach the event loop through a socket: a signal handler
// may do little more than write to one.
int signalSockets[2] = {-1, -1};

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

} // namespace

void prepareServerProcess(QProcess &server)
{
    server.setChildProcessModifier([parent = ::getpid()] {
        // A process group of its own: a terminal's Ctrl-C reaches tarnctl
        // alone, which passes it on, and a stop reaches the server's own
        // children too.
        ::setpgid(0, 0);
        // Should tarnctl die without a chance to stop the server, the server
        // is told to stop all the same.
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

void serverStarted(const QProcess &)
{
    // The child process modifier has tied the server to tarnctl already.
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

} // namespace tarnctl
