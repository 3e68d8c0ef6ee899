#pragma once

#include <QNetworkDatagram>
#include <QTest>
#include <QUdpSocket>

// Sends one remote-console line to a server on loopback and gathers the
// reply datagrams until it falls quiet, or nothing came within the wait;
// headers removed. A datagram without the header or the closing line end
// makes the answer "faulty datagram: ...". `pieces` counts the datagrams.
inline QByteArray askServer(
    quint16 port, const QByteArray &line, int waitMs = 5000, int *pieces = nullptr)
{
    QUdpSocket socket;
    socket.bind(QHostAddress::LocalHost, 0);
    socket.writeDatagram("\xFF\xFF\xFF\xFFrcon " + line, QHostAddress::LocalHost, port);
    const QByteArray header("\xFF\xFF\xFF\xFFprint\n", 10);
    QByteArray text;
    for (int wait = waitMs; socket.waitForReadyRead(wait); wait = 200) {
        for (; socket.hasPendingDatagrams(); pieces && ++*pieces) {
            const QByteArray reply = socket.receiveDatagram().data();
            if (!reply.startsWith(header) || !reply.endsWith('\n'))
                return "faulty datagram: " + reply;
            text += reply.mid(header.size());
        }
    }
    return text;
}

// A UDP port that nothing listens on right now.
inline quint16 freeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}
