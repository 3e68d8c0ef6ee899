#pragma once

#include <QElapsedTimer>
#include <QTest>
#include <QUdpSocket>

// Asks a server on loopback one remote-console command and gathers every
// reply datagram that arrives within the wait, headers removed.
inline QByteArray askServer(
    quint16 port, const QByteArray &password, const QByteArray &command, int waitMs = 1500)
{
    QUdpSocket socket;
    socket.bind(QHostAddress::LocalHost, 0);
    socket.writeDatagram(
        "\xff\xff\xff\xffrcon " + password + " " + command, QHostAddress::LocalHost, port);
    QByteArray text;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < waitMs) {
        if (!socket.waitForReadyRead(100))
            continue;
        while (socket.hasPendingDatagrams()) {
            QByteArray datagram(int(socket.pendingDatagramSize()), 0);
            socket.readDatagram(datagram.data(), datagram.size());
            text += datagram.mid(10);
        }
        if (!text.isEmpty())
            waitMs = int(clock.elapsed()) + 200;
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
