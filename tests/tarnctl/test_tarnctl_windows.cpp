#include "servers.h"

#include <QRegularExpression>
#include <windows.h>

class TestTarnctlWindows : public QObject
{
    Q_OBJECT
private slots:
    void serverEndsWithItsWatcher();
};

namespace {

HANDLE openServer(qint64 pid)
{
    return OpenProcess(
        PROCESS_QUERY_INFORMATION | PROCESS_SUSPEND_RESUME | SYNCHRONIZE, FALSE, DWORD(pid));
}

bool ends(qint64 pid)
{
    const HANDLE process = openServer(pid);
    if (!process)
        return true;
    const bool ended = WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

bool inJob(qint64 pid)
{
    const HANDLE process = openServer(pid);
    BOOL result = FALSE;
    const bool known = process && IsProcessInJob(process, nullptr, &result);
    if (process)
        CloseHandle(process);
    return known && result;
}

// A server that neither answers nor heeds a request to stop.
bool freeze(qint64 pid)
{
    using Suspend = LONG(WINAPI *)(HANDLE);
    const auto suspend = reinterpret_cast<Suspend>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"ntdll"), "NtSuspendProcess")));
    const HANDLE process = openServer(pid);
    const bool frozen = suspend && process && suspend(process) == 0;
    if (process)
        CloseHandle(process);
    return frozen;
}

// The process id of the server tarnctl said it started after `after`.
qint64 started(QProcess &watcher, QByteArray &said, qint64 after = 0)
{
    static const QRegularExpression line("server started as process (\\d+)");
    qint64 found = 0;
    const bool seen = QTest::qWaitFor(
        [&] {
            said += watcher.readAllStandardError();
            QRegularExpressionMatchIterator matches = line.globalMatch(QString::fromUtf8(said));
            while (matches.hasNext())
                found = matches.next().captured(1).toLongLong();
            return found && found != after;
        },
        20000);
    return seen ? found : 0;
}

} // namespace

// The server is started suspended, put in a job that dies with tarnctl and
// then resumed: it answers, one that hangs is ended with what it started,
// and no way of ending tarnctl leaves a server behind.
void TestTarnctlWindows::serverEndsWithItsWatcher()
{
    Server server;
    Watcher watcher({"--restart", "--hang-after", "1"}, 0.1);
    QByteArray said;
    const qint64 first = started(watcher.process, said);
    QVERIFY2(first, said);
    QVERIFY(answers(server.port));
    QVERIFY(inJob(first));
    QVERIFY(freeze(first));
    const qint64 second = started(watcher.process, said, first);
    QVERIFY2(second, said);
    QVERIFY(ends(first));
    QVERIFY(answers(server.port));
    QVERIFY2(!said.contains("job object") && !said.contains("resumed"), said);
    // Ended as a task manager ends it: tarnctl has no say.
    watcher.process.kill();
    watcher.process.waitForFinished();
    QVERIFY(ends(second));

    QCOMPARE(runTarnctl({"start"}).status, 0);
    const auto pid = [&](const char *file) {
        return readFile(server.store.dir.filePath(file)).trimmed().toLongLong();
    };
    const qint64 detached = pid("server.pid");
    const qint64 detachedWatcher = pid("tarnctl.pid");
    QVERIFY(inJob(detached) && detachedWatcher > 0);
    QCOMPARE(runTarnctl({"stop"}).status, 0);
    QVERIFY(ends(detached) && ends(detachedWatcher));
}

QTEST_MAIN(TestTarnctlWindows)
#include "test_tarnctl_windows.moc"
