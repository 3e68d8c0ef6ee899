#include "rconclient.h"

#include "monitor/rconreply.h"

#include <QDeadlineTimer>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <algorithm>
#include <climits>

namespace tarnctl {

QString RconClient::open(const QString &host, quint16 port)
{
    serverPort = port;
    if (!serverAddress.setAddress(host)) {
        const QHostInfo found = QHostInfo::fromName(host);
        const QList<QHostAddress> addresses = found.addresses();
        if (addresses.isEmpty())
            return QStringLiteral("cannot find the host %1: %2").arg(host, found.errorString());
        // IPv4 first: servers commonly listen on IPv4 only.
        serverAddress = addresses.first();
        for (const QHostAddress &address : addresses) {
            if (address.protocol() == QAbstractSocket::IPv4Protocol) {
                serverAddress = address;
                break;
            }
        }
    }
    const bool ipv4 = serverAddress.protocol() == QAbstractSocket::IPv4Protocol;
    // A server on this machine is talked to over loopback only, as the
    // monitor does, so nobody else can reach our port.
    QHostAddress local
        = ipv4 ? QHostAddress(QHostAddress::AnyIPv4) : QHostAddress(QHostAddress::AnyIPv6);
    if (serverAddress.isLoopback())
        local = ipv4 ? QHostAddress(QHostAddress::LocalHost)
                     : QHostAddress(QHostAddress::LocalHostIPv6);
    if (!socket.bind(local, 0))
        return QStringLiteral("cannot open a UDP port: %1").arg(socket.errorString());
    return {};
}

void RconClient::send(const QByteArray &datagram)
{
    socket.writeDatagram(datagram, serverAddress, serverPort);
}

void RconClient::takePending(QByteArrayList &replies)
{
    while (socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket.receiveDatagram();
        if (datagram.isValid() && datagram.senderPort() == serverPort
            && datagram.senderAddress().isEqual(serverAddress, QHostAddress::ConvertV4MappedToIPv4))
            replies.append(datagram.data());
    }
}

QByteArrayList RconClient::collect(Milliseconds timeout, Milliseconds quiet)
{
    QByteArrayList replies;
    QDeadlineTimer deadline(timeout);
    while (replies.isEmpty()) {
        const qint64 left = std::min<qint64>(deadline.remainingTime(), INT_MAX);
        if (left == 0 || !socket.waitForReadyRead(int(left)))
            return replies;
        takePending(replies);
    }
    // A server that never falls quiet must not hold us forever.
    const QDeadlineTimer lastCall(std::chrono::seconds(10));
    while (!lastCall.hasExpired() && socket.waitForReadyRead(int(quiet.count())))
        takePending(replies);
    return replies;
}

QString replyText(const QByteArrayList &datagrams)
{
    QString text;
    for (const QByteArray &datagram : datagrams)
        text += datagramText(datagram);
    if (!text.isEmpty() && !text.endsWith(u'\n'))
        text += u'\n';
    return text;
}

} // namespace tarnctl
