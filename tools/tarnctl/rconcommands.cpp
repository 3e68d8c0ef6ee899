#include "rconcommands.h"

#include "launch/configtext.h"
#include "monitor/rconrequest.h"
#include "rconclient.h"
#include "store/settingsstore.h"

#include <QDeadlineTimer>
#include <QThread>
#include <cstdio>

namespace tarnctl {

namespace {

constexpr Milliseconds pollInterval {3000};

void write(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

// Where requests go and what they carry: what the options give, else what
// the monitor takes from the store.
struct Target
{
    QString host;
    quint16 port;
    QString password;

    // As an operator would type it; an IPv6 address in brackets.
    QString address() const
    {
        return (host.contains(u':') ? u'[' + host + u']' : host) + u':' + QString::number(port);
    }
};

Target targetOf(const Options &options)
{
    const quint16 port = options.port
        ? *options.port
        : monitorServerPort(RegGet(hkeyLocalMachine, launcherKey, QStringLiteral("Server_Port")));
    const QString password = options.password
        ? *options.password
        : rconPasswordSent(RegGet(hkeyLocalMachine, launcherKey, QStringLiteral("rcon_pw")));
    return {options.host, port, password};
}

// What the server answered to one request, or the exit status when it did
// not answer or refused the password (said on standard error).
int ask(RconClient &client, const Target &target, const QString &commandPart,
    const Options &options, QByteArrayList &replies)
{
    client.send(rconDatagram(target.password, commandPart));
    replies = client.collect(Milliseconds(qint64(options.timeoutSeconds * 1000)));
    if (replies.isEmpty()) {
        write(stderr,
            QStringLiteral("tarnctl: no answer from %1 within %2 s\n")
                .arg(target.address())
                .arg(options.timeoutSeconds));
        return exitNoAnswer;
    }
    if (passwordRefused(replies)) {
        write(stdout, replyText(replies));
        write(stderr, QStringLiteral("tarnctl: %1 refused the password\n").arg(target.address()));
        return exitRefused;
    }
    return 0;
}

int open(RconClient &client, const Target &target)
{
    if (const QString failure = client.open(target.host, target.port); !failure.isEmpty()) {
        write(stderr, QStringLiteral("tarnctl: %1\n").arg(failure));
        return 1;
    }
    return 0;
}

int run(const Options &options, const QString &commandPart, bool repeat)
{
    const Target target = targetOf(options);
    RconClient client;
    if (const int failed = open(client, target))
        return failed;
    // Watching polls on, as the monitor does, whatever the answer; it ends
    // only when tarnctl is stopped.
    for (;;) {
        QDeadlineTimer next(pollInterval);
        QByteArrayList replies;
        const int status = ask(client, target, commandPart, options, replies);
        if (status == 0)
            write(stdout, replyText(replies));
        if (!repeat)
            return status;
        QThread::msleep(static_cast<unsigned long>(next.remainingTime()));
    }
}

} // namespace

int runRcon(const Options &options)
{
    return run(options, typedCommandPart(options.commandWords.join(u' ')), false);
}

int runStatus(const Options &options)
{
    return run(options, *pollCommandPart(QStringLiteral("Connection Monitor")), options.watch);
}

int askOnce(const Options &options, const QString &commandPart, QByteArrayList &replies)
{
    const Target target = targetOf(options);
    RconClient client;
    if (const int failed = open(client, target))
        return failed;
    return ask(client, target, commandPart, options, replies);
}

} // namespace tarnctl
