#pragma once

// Sockets of the test's own that any reading of the system's TCP table must
// show, in the rows the TCP window lists.

#include "monitor/tcprows.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>

inline TcpListRow row(
    const char *local, int localPort, const char *remote, int remotePort, const char *state)
{
    return {local, QString::number(localPort), remote, QString::number(remotePort), state};
}

// Listeners on 0.0.0.0 and 127.0.0.1, and a connection never accepted.
struct OwnSockets
{
    OwnSockets()
    {
        any.listen(QHostAddress::AnyIPv4);
        loop.listen(QHostAddress::LocalHost);
        client.connectToHost(QHostAddress::LocalHost, loop.serverPort());
        client.waitForConnected();
    }
    int foundIn(const QList<TcpListRow> &rows) const
    {
        const int port = loop.serverPort();
        const QList<TcpListRow> mine = {row("0.0.0.0", any.serverPort(), "0.0.0.0", 0, "LISTEN"),
            row("127.0.0.1", port, "0.0.0.0", 0, "LISTEN"),
            row("127.0.0.1", client.localPort(), "127.0.0.1", port, "ESTAB"),
            row("127.0.0.1", port, "127.0.0.1", client.localPort(), "ESTAB")};
        return int(
            std::count_if(rows.begin(), rows.end(), [&](auto &r) { return mine.contains(r); }));
    }

    QTcpServer any;
    QTcpServer loop;
    QTcpSocket client;
};
