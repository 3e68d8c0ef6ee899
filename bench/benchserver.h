#pragma once

// The stand-in server for the benchmarks that talk to one: tarnded in a
// scratch game folder on a free loopback port, with the remote-console
// password "benchpw" and eight bots, so that a status reply is of a
// realistic size. It is stopped with the object.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUdpSocket>

class BenchServer
{
public:
    BenchServer()
    {
        QUdpSocket probe;
        probe.bind(QHostAddress::LocalHost, 0);
        port = probe.localPort();
        probe.close();
        QDir().mkpath(dir.filePath("Game/USER"));
        QFile config(dir.filePath("Game/USER/Dedicated.cfg"));
        if (!config.open(QIODevice::WriteOnly)) {
            failure = "cannot write the configuration";
            return;
        }
        config.write("set rcon_password benchpw\r\nset bots 8\r\nmap DM/QEVCON1\r\n");
        config.close();
        server.setWorkingDirectory(dir.filePath("Game"));
        server.start(qEnvironmentVariable("TARN_TOOLS_DIR", "build/tools") + "/tarnded/tarnded",
            {"+set", "dedicated", "1", "+set", "hostport", QString::number(port)});
        while (!server.peek(1 << 16).contains("Listening on") && server.waitForReadyRead(10000)) { }
        if (server.state() != QProcess::Running)
            failure = "tarnded did not start (set TARN_TOOLS_DIR)";
    }
    ~BenchServer()
    {
        server.terminate();
        server.waitForFinished();
    }

    QTemporaryDir dir;
    quint16 port = 0;
    // Why the server is not running, or null.
    const char *failure = nullptr;

private:
    QProcess server;
};
