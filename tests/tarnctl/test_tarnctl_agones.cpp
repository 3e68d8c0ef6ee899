#include "servers.h"

#include <QTcpServer>
#include <QTcpSocket>

// The Agones SDK server's REST gateway, as far as tarnctl uses it: it keeps
// each whole request as "METHOD PATH CONTENT-TYPE BODY" and answers 200.
struct Sidecar
{
    Sidecar()
    {
        QObject::connect(&listener, &QTcpServer::newConnection, &listener, [this] {
            while (QTcpSocket *socket = listener.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                    [this, socket] { take(socket, buffers[socket]); });
        });
    }

    void take(QTcpSocket *socket, QByteArray &pending)
    {
        pending += socket->readAll();
        for (qsizetype end; (end = pending.indexOf("\r\n\r\n")) >= 0;) {
            QByteArray request = pending.left(end).split('\r').first().replace(" HTTP/1.1", " ");
            qsizetype length = 0;
            for (const QByteArray &line : pending.left(end).split('\n').mid(1)) {
                const QList<QByteArray> header = line.trimmed().split(':');
                if (header.first().toLower() == "content-type")
                    request += header.value(1).trimmed();
                else if (header.first().toLower() == "content-length")
                    length = header.value(1).trimmed().toLongLong();
            }
            if (pending.size() < end + 4 + length)
                return;
            calls.append(request + ' ' + pending.mid(end + 4, length));
            pending.remove(0, end + 4 + length);
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n{}");
        }
    }

    QTcpServer listener;
    QHash<QTcpSocket *, QByteArray> buffers;
    QByteArrayList calls;
};

class TestTarnctlAgones : public QObject
{
    Q_OBJECT
private slots:
    void readyHealthShutdown();
};

// The SDK server may come up after the game server: Ready is sent again
// until it is taken, and the watching goes on meanwhile.
void TestTarnctlAgones::readyHealthShutdown()
{
    Server server;
    QCOMPARE(runTarnctl({"start", "--agones"}).status, 2);
    Sidecar sidecar;
    QVERIFY(sidecar.listener.listen(QHostAddress::LocalHost));
    const quint16 port = sidecar.listener.serverPort();
    sidecar.listener.close();
    Watcher watcher({"--agones"}, 0.3, {{"AGONES_SDK_HTTP_PORT", QString::number(port)}});
    QByteArray errors;
    QVERIFY(QTest::qWaitFor(
        [&] {
            errors += watcher.process.readAllStandardError();
            return errors.contains(
                "cannot tell Agones (localhost:" + QByteArray::number(port) + ") that the server");
        },
        20000));
    QVERIFY(answers(server.port));

    QVERIFY(sidecar.listener.listen(QHostAddress::LocalHost, port));
    QVERIFY(QTest::qWaitFor([&] { return sidecar.calls.size() >= 3; }, 20000));
    QCOMPARE(runTarnctl({"rcon", "quit"}).status, 0);
    // The stand-in answers only while the test waits here.
    QVERIFY(
        QTest::qWaitFor([&] { return watcher.process.state() == QProcess::NotRunning; }, 20000));
    QCOMPARE(watcher.process.exitCode(), 0);
    QCOMPARE(sidecar.calls.first(), "POST /ready application/json {}");
    QCOMPARE(sidecar.calls.last(), "POST /shutdown application/json {}");
    QVERIFY2(sidecar.calls.count("POST /health application/json {}") == sidecar.calls.size() - 2,
        sidecar.calls.join('\n'));
}

QTEST_MAIN(TestTarnctlAgones)
#include "test_tarnctl_agones.moc"
