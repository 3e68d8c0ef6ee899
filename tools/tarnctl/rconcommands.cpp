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

// One request and its reply, printed. Returns the exit status.
int exchange(
    RconClient &client, const Target &target, const QString &commandPart, const Options &options)
{
    client.send(rconDatagram(target.password, commandPart));
    const QByteArrayList replies
        = client.collect(Milliseconds(qint64(options.timeoutSeconds * 1000)));
    if (replies.isEmpty()) {
        write(stderr,
            QStringLiteral("tarnctl: no answer from %1 within %2 s\n")
                .arg(target.address())
                .arg(options.timeoutSeconds));
        return exitNoAnswer;
    }
    write(stdout, replyText(replies));
    if (passwordRefused(replies)) {
        write(stderr, QStringLiteral("tarnctl: %1 refused the password\n").arg(target.address()));
        return exitRefused;
    }
    return 0;
}

int run(const Options &options, const QString &commandPart, bool repeat)
{
    const Target target = targetOf(options);
    RconClient client;
    if (const QString failure = client.open(target.host, target.port); !failure.isEmpty()) {
        write(stderr, QStringLiteral("tarnctl: %1\n").arg(failure));
        return 1;
    }
    // Watching polls on, as the monitor does, whatever the answer; it ends
    // only when tarnctl is stopped.
    for (;;) {
        QDeadlineTimer next(pollInterval);
        const int status = exchange(client, target, commandPart, options);
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

} // namespace tarnctl
