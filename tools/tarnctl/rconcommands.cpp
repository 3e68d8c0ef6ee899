#include "rconcommands.h"

#include "launch/configtext.h"
#include "launchcommands.h"
#include "monitor/rconreply.h"
#include "monitor/rconrequest.h"
#include "output.h"
#include "platform/registry.h"
#include "playercommands.h"
#include "store/settingstable.h"

#include <QDeadlineTimer>
#include <QThread>

namespace tarnctl {

namespace {

constexpr Milliseconds pollInterval {3000};

// One request and the reply datagrams. A failure is said on standard error
// and returned as the exit status.
int ask(RconClient &client, const Target &target, const QString &commandPart,
    const Options &options, QByteArrayList &replies)
{
    client.send(rconDatagram(target.password, commandPart));
    replies = client.collect(Milliseconds(qint64(options.timeoutSeconds * 1000)));
    if (replies.isEmpty()) {
        complain(QStringLiteral("no answer from %1 within %2 s")
                     .arg(target.address())
                     .arg(options.timeoutSeconds));
        return exitNoAnswer;
    }
    if (passwordRefused(replies.first())) {
        print(replyText(replies));
        complain(QStringLiteral("%1 refused the password").arg(target.address()));
        return exitRefused;
    }
    return 0;
}

int open(RconClient &client, const Target &target)
{
    if (const QString failure = client.open(target.host, target.port); !failure.isEmpty()) {
        complain(failure);
        return 1;
    }
    return 0;
}

// One request and its reply, printed. Returns the exit status.
int exchange(
    RconClient &client, const Target &target, const QString &commandPart, const Options &options)
{
    QByteArrayList replies;
    if (const int failed = ask(client, target, commandPart, options, replies))
        return failed;
    // Output nobody receives is a failure, never a success.
    return (options.json ? print(playersJson(replies)) : print(replyText(replies))) ? 0 : 1;
}

int run(const Options &options, const QString &commandPart, bool repeat)
{
    const Target target = targetOf(options);
    RconClient client;
    if (const int failed = open(client, target))
        return failed;
    // Watching polls on, as the monitor does, whatever the answer; it ends
    // when tarnctl is stopped or its output is gone.
    for (;;) {
        QDeadlineTimer next(pollInterval);
        const int status = exchange(client, target, commandPart, options);
        if (!repeat || status == 1)
            return status;
        QThread::msleep(static_cast<unsigned long>(next.remainingTime()));
    }
}

} // namespace

QString Target::address() const
{
    return (host.contains(u':') ? u'[' + host + u']' : host) + u':' + QString::number(port);
}

Target targetOf(const Options &options)
{
    // Told both, tarnctl needs no settings at all.
    const LaunchSettings stored
        = options.port && options.password ? LaunchSettings() : loadLaunchSettings();
    const quint16 port = options.port ? *options.port : monitorServerPort(stored.port);
    const QString password
        = options.password ? *options.password : rconPasswordSent(stored.rconPassword);
    return {options.host, port, password};
}

bool answersStatusPoll(const Target &target, Milliseconds timeout)
{
    RconClient client;
    if (!client.open(target.host, target.port).isEmpty())
        return false;
    client.send(rconDatagram(target.password, pollCommandPart(Poll::Status)));
    return !client.collect(timeout).isEmpty();
}

int runRcon(const Options &options)
{
    return run(options, typedCommandPart(options.commandWords.join(u' ')), false);
}

int runStatus(const Options &options)
{
    return run(options, pollCommandPart(Poll::Status), options.watch);
}

int runReload(const Options &options)
{
    if (const int status = writeLaunchFiles(); status != 0)
        return status;
    return run(options, execCommandPart(), false);
}

int askOnce(const Options &options, const QString &commandPart, QByteArrayList &replies)
{
    const Target target = targetOf(options);
    RconClient client;
    if (const int failed = open(client, target))
        return failed;
    return ask(client, target, commandPart, options, replies);
}

bool storeUsable(const Options &options)
{
    // Told where to knock and with what password, the remote console needs
    // no settings.
    const bool remote = options.command == Command::Rcon || options.command == Command::Status;
    if (options.command == Command::Help || (remote && options.port && options.password))
        return true;
    const std::string problem = platform::storeProblem();
    if (!problem.empty())
        complain(QString::fromStdString(problem));
    return problem.empty();
}

} // namespace tarnctl
