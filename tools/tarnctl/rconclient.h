#pragma once

// One remote-console exchange over UDP: a request out, the reply datagrams
// back. Only datagrams from the server's own address and port count.

#include <QByteArrayList>
#include <QHostAddress>
#include <QUdpSocket>
#include <chrono>

namespace tarnctl {

using Milliseconds = std::chrono::milliseconds;

// How long the server must stay quiet after a reply datagram before the
// reply counts as complete. A reply in several datagrams comes back to back.
constexpr Milliseconds replyQuiet {200};

class RconClient
{
public:
    // Looks the host up and binds a port of our own. Returns why that
    // failed, or "".
    QString open(const QString &host, quint16 port);

    void send(const QByteArray &datagram);

    // Waits up to `timeout` for the first reply datagram, then takes more
    // until none has come for `quiet`. Empty when the server did not answer.
    QByteArrayList collect(Milliseconds timeout, Milliseconds quiet = replyQuiet);

private:
    void takePending(QByteArrayList &replies);

    QUdpSocket socket;
    QHostAddress serverAddress;
    quint16 serverPort = 0;
};

// The reply as the monitor shows it (each datagram's first ten bytes left
// out), as text for a terminal: lines end in LF, ending the last one too.
QString replyText(const QByteArrayList &datagrams);

} // namespace tarnctl
