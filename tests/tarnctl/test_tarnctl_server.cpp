#include "monitor/rconrequest.h"
#include "restartpolicy.h"
#include "servers.h"
#include "support/numberedentries.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QRegularExpression>
#include <csignal>

using namespace std::chrono_literals;

class TestTarnctlServer : public QObject
{
    Q_OBJECT
private slots:
    void remoteConsole();
    void detachedServer();
    void players();
    void onlyTheServerAnswers();
    void restartsAfterCrashes();
    void watchEndsWithItsServer();
    void restartWaits();
};

void TestTarnctlServer::remoteConsole()
{
    Server server;
    QCOMPARE(runTarnctl({"start"}).status, 0);
    const Run status = runTarnctl({"rcon", "status"});
    QCOMPARE(status.status, 0);
    QVERIFY2(status.out.startsWith("map: "), status.out);
    QVERIFY(!status.out.contains('\r'));
    QCOMPARE(runTarnctl({"status"}).out, status.out);

    const Run refused = runTarnctl({"rcon", "--password", "wrong", "status"});
    QCOMPARE(refused.status, 4);
    QCOMPARE(refused.out, QByteArray("Bad rcon_password.\n"));

    // For monitoring: the map and the players as JSON, and no success on
    // output that was lost.
    QCOMPARE(runTarnctl({"rcon", "set", "bots", "2"}).status, 0);
    const Run json = runTarnctl({"status", "--json"});
    const QJsonObject parsed = QJsonDocument::fromJson(json.out).object();
    QVERIFY2(!parsed.value("map").toString().isEmpty(), json.out);
    const QJsonArray players = parsed.value("players").toArray();
    QCOMPARE(players.size(), 2);
    QVERIFY(!players.first().toObject().value("name").toString().isEmpty());
    QVERIFY(players.first().toObject().value("score").isDouble());
    QCOMPARE(runTarnctl({"status"}, 30000, "/dev/full").status, 1);

    // tarnded cuts this reply into three datagrams.
    const QByteArray words(3000, 'w');
    QCOMPARE(runTarnctl({"rcon", "say", words}).out, "console: " + words + "\n");

    QCOMPARE(runTarnctl({"rcon", "quit"}).status, 0);
    const Run silent = runTarnctl({"rcon", "--timeout", "0.3", "status"});
    QCOMPARE(silent.status, 3);
    QCOMPARE(silent.err,
        QStringLiteral("tarnctl: no answer from 127.0.0.1:%1 within 0.3 s\n")
            .arg(server.port)
            .toUtf8());
}

// A detached start succeeds only once its server answers; stop, restart
// and reload reach the server it left running.
void TestTarnctlServer::detachedServer()
{
    Server server;
    // With its port taken, the server's own reason is shown.
    {
        QUdpSocket taken;
        QVERIFY(taken.bind(QHostAddress::LocalHost, server.port));
        const Run failed = runTarnctl({"start"});
        QCOMPARE(failed.status, 1);
        QVERIFY2(failed.err.contains("cannot bind"), failed.err);
    }
    QCOMPARE(runTarnctl({"start", "--restart"}).status, 0);
    const QString watcherPid = server.store.dir.filePath("tarnctl.pid");
    const qint64 watcher = readFile(watcherPid).trimmed().toLongLong();
    QVERIFY(processRuns(watcher));
    const Run again = runTarnctl({"start"});
    QCOMPARE(again.status, 6);
    QVERIFY2(again.err.contains(QByteArray::number(watcher)), again.err);

    rEGpUT(hkeyLocalMachine, launcherKey, "Host_Name", "Reloaded");
    QCOMPARE(runTarnctl({"reload"}).status, 0);
    QVERIFY(askServer(server.port, "secret1 serverinfo").contains("hostname Reloaded"));

    QCOMPARE(runTarnctl({"restart"}).status, 0);
    QVERIFY(!processRuns(watcher));
    const qint64 restarted = readFile(watcherPid).trimmed().toLongLong();
    QVERIFY(processRuns(restarted));
    QCOMPARE(runTarnctl({"stop"}).status, 0);
    QVERIFY(!processRuns(restarted));
    QVERIFY(askServer(server.port, "secret1 status", 300).isEmpty());
    QCOMPARE(runTarnctl({"stop"}).status, 0);
}

// The player commands speak the console's words for the operator.
void TestTarnctlServer::players()
{
    Server server;
    QVERIFY(putEntries(customCommandsKey, {"set clients 2"}));
    rEGpUT(hkeyLocalMachine, launcherKey, "UseOther", "1");
    QCOMPARE(runTarnctl({"start"}).status, 0);
    QVERIFY(answers(server.port));

    const Run listed = runTarnctl({"players", "--json"});
    const QJsonArray shown = QJsonDocument::fromJson(listed.out)["players"].toArray();
    QCOMPARE(listed.status, 0);
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0]["name"].toString(), "Red Baron");
    QCOMPARE(shown[0]["rawName"].toString(), "^1Red Baron");
    QCOMPARE(shown[1]["address"].toString(), "192.0.2.11:27960");
    QCOMPARE(runTarnctl({"kick", "red", "baron"}).out, "^1Red Baron was kicked\n");
    QCOMPARE(runTarnctl({"ban", "192.0.2.11"}).out, "Added 192.0.2.11 to the filter list.\n");
    QCOMPARE(runTarnctl({"bans", "--timeout", "5"}).out, "Filter list:\n192.0.2.11\n");
    QCOMPARE(runTarnctl({"unban", "192.0.2.11"}).out, "Removed.\n");
    QCOMPARE(runTarnctl({"map", "dm/Woxcon1"}).out, "Changing map to dm/Woxcon1\n");
    QVERIFY(runTarnctl({"players"}).out.startsWith("map: dm/Woxcon1\n"));
    for (const QStringList &wrong : {QStringList {"kick"}, {"bans", "x"}, {"map", "a", "b"}})
        QCOMPARE(runTarnctl(wrong).status, 2);
    QCOMPARE(runTarnctl({"players", "--password", "wrong"}).status, 4);
}

// The request is the monitor's, with the stored password; only replies from
// the server's address and port count.
void TestTarnctlServer::onlyTheServerAnswers()
{
    TestStore store;
    QUdpSocket server;
    QUdpSocket stranger;
    QVERIFY(server.bind(QHostAddress::LocalHost, 0));
    QVERIFY(stranger.bind(QHostAddress::LocalHost, 0));
    rEGpUT(hkeyLocalMachine, launcherKey, "Server_Port", QString::number(server.localPort()));
    rEGpUT(hkeyLocalMachine, launcherKey, "rcon_pw", QStringLiteral(u"caf\u00e9"));

    QProcess process;
    process.start(toolPath("tarnctl"), {"rcon", "--timeout", "5", "say", "hi"});
    QVERIFY(server.waitForReadyRead(10000));
    const QNetworkDatagram request = server.receiveDatagram();
    QCOMPARE(request.data(), rconDatagram(QStringLiteral(u"caf\u00e9"), " say hi "));
    stranger.writeDatagram("\xFF\xFF\xFF\xFFprint\nstranger\n", request.senderAddress(),
        quint16(request.senderPort()));
    // A reply is whole once the server falls quiet.
    for (const QByteArray piece : {"caf\xE9\n", "and more\n"}) {
        server.writeDatagram("\xFF\xFF\xFF\xFFprint\n" + piece, request.senderAddress(),
            quint16(request.senderPort()));
        QTest::qSleep(50);
    }
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput(), QByteArray("caf\xC3\xA9\nand more\n"));

    // A password kept out of the process list, from a file or the
    // environment; the engine's own servers word a refusal their way.
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("pw"), "from file\n"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TARNCTL_PASSWORD", "from env");
    process.setProcessEnvironment(environment);
    for (const QStringList &given :
        {QStringList {"--password-file", dir.filePath("pw")}, QStringList {}}) {
        process.start(toolPath("tarnctl"), QStringList {"rcon"} + given + QStringList {"status"});
        QVERIFY(server.waitForReadyRead(10000));
        const QNetworkDatagram asked = server.receiveDatagram();
        QCOMPARE(
            asked.data(), rconDatagram(given.isEmpty() ? "from env" : "from file", " status "));
        server.writeDatagram("\xFF\xFF\xFF\xFFprint\nBad rconpassword.\n", asked.senderAddress(),
            quint16(asked.senderPort()));
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 4);
    }
}

// Each crash waits twice as long as the one before; the sixth within the
// window ends the watch.
void TestTarnctlServer::restartsAfterCrashes()
{
    Server server;
    const double scale = 0.05;
    Watcher watcher({"--restart"}, scale);
    qint64 pid = watcher.server();
    QVERIFY(pid);
    for (int crash = 0; crash < 5; ++crash) {
        QElapsedTimer sinceKill;
        sinceKill.start();
        ::kill(pid_t(pid), SIGKILL);
        pid = watcher.server(pid);
        QVERIFY(pid);
        QCOMPARE_GE(sinceKill.elapsed(), qint64(1000 * scale) << crash);
    }
    ::kill(pid_t(pid), SIGKILL);
    QVERIFY(watcher.process.waitForFinished(20000));
    QCOMPARE(watcher.process.exitCode(), 5);
    QVERIFY(watcher.process.readAllStandardError().contains("giving up"));
}

// A quit through the console, a stop signal or a kill ends the watch and
// leaves no server behind.
void TestTarnctlServer::watchEndsWithItsServer()
{
    Server server;
    Watcher quit({"--restart"});
    QVERIFY(answers(server.port));
    QCOMPARE(runTarnctl({"rcon", "quit"}).out, QByteArray("Server quit.\n"));
    QVERIFY(quit.process.waitForFinished(20000));
    QCOMPARE(quit.process.exitCode(), 0);
    // The server's console, each line after a timestamp.
    const QByteArray out = quit.process.readAllStandardOutput();
    QVERIFY2(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d Listening on ")
                 .match(QString::fromUtf8(out))
                 .hasMatch(),
        out);
    QVERIFY(out.contains(" Server quit.\n"));

    Watcher watcher({"--restart"});
    const qint64 pid = watcher.server();
    QVERIFY(pid);
    QVERIFY(answers(server.port));
    ::kill(pid_t(watcher.process.processId()), SIGTERM);
    QVERIFY(watcher.process.waitForFinished(20000));
    QCOMPARE(watcher.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(watcher.process.exitCode(), 0);
    QVERIFY(!processRuns(pid));
    // The server had the chance to shut down cleanly.
    QVERIFY(watcher.process.readAllStandardOutput().contains(" Stopped by signal.\n"));

    // Even a tarnctl killed outright takes its server along.
    Watcher killed({"--restart"});
    const qint64 orphan = killed.server();
    QVERIFY(orphan);
    killed.process.kill();
    QTRY_VERIFY_WITH_TIMEOUT(!processRuns(orphan), 20000);
}

void TestTarnctlServer::restartWaits()
{
    using tarnctl::RestartPolicy;
    RestartPolicy policy(10, 300s);
    const auto start = RestartPolicy::Clock::now();
    QList<qint64> waits;
    for (int crash = 0; crash < 8; ++crash)
        waits.append(policy.serverEnded(start + crash * 1s, 1s)->count());
    QCOMPARE(waits, QList<qint64>({1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000}));
    // Ten good minutes start the waits over.
    QCOMPARE(policy.serverEnded(start + 900s, 10min)->count(), 1000);
    QCOMPARE(policy.serverEnded(start + 901s, 1s)->count(), 2000);

    // Ends older than the window no longer count.
    RestartPolicy strict(2, 300s);
    QVERIFY(strict.serverEnded(start, 1s));
    QVERIFY(strict.serverEnded(start + 1s, 1s));
    QVERIFY(!strict.serverEnded(start + 2s, 1s));
    QVERIFY(strict.serverEnded(start + 302s, 1s));
}

QTEST_MAIN(TestTarnctlServer)
#include "test_tarnctl_server.moc"
