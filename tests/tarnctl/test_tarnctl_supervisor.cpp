#include "gamefolderlock.h"
#include "launch/configtext.h"
#include "logfile.h"
#include "outputqueue.h"
#include "servers.h"
#include "store/shortpath.h"
#include "supervisor.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

void writeScript(const QString &path, const QByteArray &body)
{
    QVERIFY(writeFile(path, "#!/bin/sh\n" + body));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

qint64 pidIn(const QString &file)
{
    qint64 pid = 0;
    [[maybe_unused]] const bool found
        = QTest::qWaitFor([&] { return (pid = readFile(file).trimmed().toLongLong()) > 0; }, 20000);
    return pid;
}

// The service manager's end of $NOTIFY_SOCKET, in the abstract namespace.
struct NotifySocket
{
    NotifySocket() : fd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0))
    {
        const QByteArray bytes = name.toUtf8();
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, bytes.constData() + 1, std::size_t(bytes.size() - 1));
        ::bind(fd, reinterpret_cast<sockaddr *>(&address),
            socklen_t(offsetof(sockaddr_un, sun_path) + std::size_t(bytes.size())));
    }
    ~NotifySocket() { ::close(fd); }
    const QByteArrayList &take()
    {
        char buffer[4096];
        for (ssize_t got; (got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;)
            messages.append(QByteArray(buffer, got));
        return messages;
    }

    QString name = QStringLiteral("@tarnctl-test-%1").arg(QCoreApplication::applicationPid());
    int fd;
    QByteArrayList messages;
};

} // namespace

class TestTarnctlSupervisor : public QObject
{
    Q_OBJECT
private slots:
    void outputNeverBlocks();
    void droppedLinesAreCounted();
    void logFileKeepsOnePrevious();
    void filesAndSignals();
    void configurationWrittenAgain();
    void gameFolderLock();
    void secondInstanceIsRefused();
    void hangIsNoticed();
    void noProcessLeftBehind();
};

// Output on a pipe nobody reads holds up neither the server nor a stop.
void TestTarnctlSupervisor::outputNeverBlocks()
{
    Server server;
    const QString fifo = server.store.dir.filePath("output");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    QProcess tarnctl;
    tarnctl.setStandardOutputFile(fifo);
    tarnctl.setStandardErrorFile(fifo);
    tarnctl.start(toolPath("tarnctl"), {"start", "--foreground"});
    QVERIFY(answers(server.port));
    // Far more than the pipes and the queue hold.
    const QByteArray words(3000, 'w');
    for (int said = 0; said < 500 && !askServer(server.port, "secret1 say " + words).isEmpty();)
        ++said;
    for (QDeadlineTimer half(30s); !half.hasExpired(); QTest::qWait(3000))
        QCOMPARE(runTarnctl({"rcon", "status"}).status, 0);
    // Within the ten seconds a stopping server gets.
    ::kill(pid_t(tarnctl.processId()), SIGTERM);
    QVERIFY(tarnctl.waitForFinished(10000));
    QCOMPARE(tarnctl.exitCode(), 0);
    ::close(reader);
}

// Lines that did not fit are counted in one line, when there is room again.
void TestTarnctlSupervisor::droppedLinesAreCounted()
{
    int ends[2];
    QCOMPARE(::pipe(ends), 0);
    // A reader that is away: the pipe is full before the first line.
    ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
    while (::write(ends[1], "f", 1) == 1) { }
    ::fcntl(ends[1], F_SETFL, 0);
    const QByteArray line = QByteArray(99, 'x') + '\n';
    {
        tarnctl::OutputQueue queue(ends[1], 1000);
        for (int i = 0; i < 20; ++i)
            queue.put(line);
        QByteArray read(1 << 20, 0);
        QVERIFY(::read(ends[0], read.data(), std::size_t(read.size())) > 0);
        QVERIFY(queue.flush(10s));
        queue.put("last\n");
    }
    ::close(ends[1]);
    QFile pipe;
    QVERIFY(pipe.open(ends[0], QIODevice::ReadOnly, QFile::AutoCloseHandle));
    const QByteArray rest = pipe.readAll();
    // Ten lines fill the queue, ten more are dropped.
    QCOMPARE(rest.count(line), 10);
    QVERIFY2(rest.endsWith(" tarnctl: 10 lines of output were dropped: they were not read in "
                           "time\nlast\n"),
        rest.right(200));
}

void TestTarnctlSupervisor::logFileKeepsOnePrevious()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tarnctl.log");
    tarnctl::LogFile log(path, 100);
    QCOMPARE(log.open(), QString());
    QByteArray all;
    for (int i = 0; i < 25; ++i) {
        all += QByteArray::number(i).rightJustified(9, '0') + '\n';
        log.write(all.right(10));
    }
    QCOMPARE(readFile(path + ".1"), all.mid(100, 100));
    QCOMPARE(readFile(path), all.mid(200));
}

// Run in this process: the log and pid files, the signals for later users,
// and the configuration written again before a restart.
void TestTarnctlSupervisor::filesAndSignals()
{
    Server server;
    QCOMPARE(runTarnctl({"config"}).status, 0);
    qputenv("TARNCTL_TIME_SCALE", "0.1");
    int rewrites = 0;
    const tarnctl::SupervisedServer settings {server.game.path(), GetShortPath(server.game.path()),
        serverArguments(QString::number(server.port)), server.port, "secret1", [&] {
            ++rewrites;
            return QString();
        }};
    tarnctl::Options options;
    options.restart = true;
    const QString logFile = server.store.dir.filePath("tarnctl.log");
    const QString pidFile = server.store.dir.filePath("server.pid");
    tarnctl::Supervisor supervisor(settings, options, {logFile, pidFile});
    int firstAnswers = 0;
    int ends = 0;
    QList<qint64> servers;
    connect(&supervisor, &tarnctl::Supervisor::firstAnswer, this, [&] { ++firstAnswers; });
    connect(&supervisor, &tarnctl::Supervisor::serverEnded, this, [&] { ++ends; });
    connect(&supervisor, &tarnctl::Supervisor::answered, this, [&](const QByteArray &reply) {
        QVERIFY(reply.startsWith("map: "));
        const qint64 pid = readFile(pidFile).trimmed().toLongLong();
        if (!servers.isEmpty() && servers.last() == pid)
            return;
        servers.append(pid);
        // The first one crashes; the second one is stopped.
        if (servers.size() == 1)
            ::kill(pid_t(pid), SIGKILL);
        else
            ::raise(SIGTERM);
    });
    // Should the answers not come, the watch still ends.
    QTimer::singleShot(60000, &supervisor, [] { ::raise(SIGTERM); });
    QCOMPARE(supervisor.run(), 0);
    qunsetenv("TARNCTL_TIME_SCALE");
    QCOMPARE(servers.size(), 2);
    QCOMPARE(ends, 2);
    QCOMPARE(rewrites, 1);
    QCOMPARE(firstAnswers, 1);
    QVERIFY(!QFile::exists(pidFile));
    const QByteArray log = readFile(logFile);
    QVERIFY2(
        log.contains(" Listening on ") && log.contains(" tarnctl: the server has stopped\n"), log);
}

// Another instance wrote its configuration into the game folder; the
// restart writes this instance's own again.
void TestTarnctlSupervisor::configurationWrittenAgain()
{
    Server server;
    Watcher watcher({"--restart"}, 0.1);
    const qint64 pid = watcher.server();
    QVERIFY(answers(server.port));
    QVERIFY(writeFile(server.game.path("USER/Dedicated.cfg"), "set rcon_password other\r\n"));
    ::kill(pid_t(pid), SIGKILL);
    QVERIFY(watcher.server(pid));
    QVERIFY(answers(server.port));
}

void TestTarnctlSupervisor::gameFolderLock()
{
    GameFolder game;
    using tarnctl::GameFolderLock;
    QVERIFY(!GameFolderLock::holder(game.path()));
    GameFolderLock first;
    GameFolderLock second;
    QCOMPARE(first.acquire(game.path(), "/srv/one.db"), QString());
    // Another spelling of the same folder meets the same lock.
    QCOMPARE(second.acquire(game.path().toUpper(), "/srv/two.db"),
        tarnctl::gameFolderBusy(game.path(), {QCoreApplication::applicationPid(), "/srv/one.db"}));
    first.release();
    QCOMPARE(second.acquire(game.path(), "/srv/two.db"), QString());
    QCOMPARE(GameFolderLock::holder(game.path())->instance, "/srv/two.db");
}

// Two stores that name one game folder: the second start is refused before
// it writes anything, and names the folder and the instance that holds it.
void TestTarnctlSupervisor::secondInstanceIsRefused()
{
    Server server;
    Watcher watcher({});
    QVERIFY(answers(server.port));
    const QByteArray firstStore = qgetenv("TARNSTARTER_REGISTRY");
    const QByteArray config = readFile(server.game.path("USER/Dedicated.cfg"));
    Run second;
    {
        TestStore other;
        rEGpUT(hkeyLocalMachine, gameRegistrationKey, "Path", server.game.path());
        rEGpUT(hkeyLocalMachine, launcherKey, "Server_Port", QString::number(freeUdpPort()));
        second = runTarnctl({"start", "--foreground"});
    }
    qputenv("TARNSTARTER_REGISTRY", firstStore);
    QCOMPARE(second.status, tarnctl::exitBusy);
    QVERIFY2(second.err.contains(QFile::encodeName(server.game.path()))
            && second.err.contains(firstStore),
        second.err);
    QCOMPARE(readFile(server.game.path("USER/Dedicated.cfg")), config);
}

// A server that stops answering is stopped and started again; the service
// manager hears READY once, the status, and keep-alives only while the
// server answers.
void TestTarnctlSupervisor::hangIsNoticed()
{
    Server server;
    NotifySocket notify;
    Watcher watcher({"--restart", "--hang-after", "1"}, 0.1,
        {{"NOTIFY_SOCKET", notify.name}, {"WATCHDOG_USEC", "200000"}});
    const qint64 pid = watcher.server();
    QVERIFY(answers(server.port));
    QVERIFY(QTest::qWaitFor([&] { return notify.take().contains("WATCHDOG=1"); }, 20000));
    ::kill(pid_t(pid), SIGSTOP);
    QVERIFY(watcher.server(pid));
    QVERIFY(answers(server.port));
    // The map's status, from the first server and again from the second.
    QVERIFY(QTest::qWaitFor(
        [&] {
            const QByteArrayList &messages = notify.take();
            return std::count_if(messages.begin(), messages.end(), [](const QByteArray &message) {
                return message.startsWith("STATUS=map ");
            }) == 2;
        },
        20000));
    const QByteArrayList &messages = notify.messages;
    QCOMPARE(messages.count("READY=1"), 1);
    QCOMPARE_LT(messages.indexOf("READY=1"), messages.indexOf("WATCHDOG=1"));
    const qsizetype hang = messages.indexOf("STATUS=the server does not answer; stopping it");
    const qsizetype next
        = messages.indexOf("STATUS=the server has started; waiting for its first answer", hang);
    QVERIFY(hang > 0 && next > hang);
    QVERIFY(!messages.mid(hang, next - hang).contains("WATCHDOG=1"));
    QVERIFY(watcher.process.readAllStandardError().contains("taken for hung"));
}

void TestTarnctlSupervisor::noProcessLeftBehind()
{
    {
        // What a crashed server started is gone before the next start.
        Server crashing(GameFolder::Server::None);
        writeScript(crashing.game.path("tarn.exe"),
            "p=$(cat sleep.pid 2>/dev/null) && grep -qv ') Z ' /proc/$p/stat && echo $p >> "
            "survivors\n"
            "sleep 300 &\necho $! > sleep.pid\necho $! >> sleeps\nexit 3\n");
        Watcher watcher({"--restart", "--max-restarts", "1"}, 0.05);
        QVERIFY(watcher.process.waitForFinished(20000));
        QCOMPARE(watcher.process.exitCode(), tarnctl::exitGaveUp);
        QVERIFY(!QFile::exists(crashing.game.path("survivors")));
        const QByteArrayList sleeps = readFile(crashing.game.path("sleeps")).trimmed().split('\n');
        QCOMPARE(sleeps.size(), 2);
        QVERIFY(!processRuns(sleeps.last().toLongLong()));
    }
    // A server that ignores SIGTERM still goes with a tarnctl killed
    // outright, and so does what it started.
    Server stubborn(GameFolder::Server::None);
    writeScript(
        stubborn.game.path("tarn.exe"), "trap '' TERM\nsleep 300 &\necho $! > sleep.pid\nwait\n");
    Watcher killed({}, 0.1);
    const qint64 pid = killed.server();
    const qint64 sleep = pidIn(stubborn.game.path("sleep.pid"));
    QVERIFY(pid && sleep);
    killed.process.kill();
    QTRY_VERIFY_WITH_TIMEOUT(!processRuns(pid) && !processRuns(sleep), 20000);
}

QTEST_MAIN(TestTarnctlSupervisor)
#include "test_tarnctl_supervisor.moc"
