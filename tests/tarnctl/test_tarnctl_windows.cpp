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

// What `use` makes of the process; false when it cannot be opened.
template<typename Use> bool withProcess(qint64 pid, Use use)
{
    const HANDLE process = OpenProcess(
        PROCESS_QUERY_INFORMATION | PROCESS_SUSPEND_RESUME | SYNCHRONIZE, FALSE, DWORD(pid));
    const bool result = process && use(process);
    if (process)
        CloseHandle(process);
    return result;
}

bool ends(qint64 pid)
{
    return !withProcess(
        pid, [](HANDLE process) { return WaitForSingleObject(process, 10000) != WAIT_OBJECT_0; });
}

bool inJob(qint64 pid)
{
    return withProcess(pid, [](HANDLE process) {
        BOOL result = FALSE;
        return IsProcessInJob(process, nullptr, &result) && result;
    });
}

// A server that neither answers nor heeds a request to stop.
bool freeze(qint64 pid)
{
    const auto suspend = reinterpret_cast<LONG(WINAPI *)(HANDLE)>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"ntdll"), "NtSuspendProcess")));
    return suspend && withProcess(pid, [&](HANDLE process) { return suspend(process) == 0; });
}

// The server tarnctl says it started, once one other than `previous` runs.
qint64 started(QProcess &watcher, QByteArray &said, qint64 previous = 0)
{
    static const QRegularExpression line("server started as process (\\d+)");
    qint64 found = 0;
    const bool seen = QTest::qWaitFor(
        [&] {
            said += watcher.readAllStandardError();
            for (auto match = line.globalMatch(QString::fromUtf8(said)); match.hasNext();)
                found = match.next().captured(1).toLongLong();
            return found && found != previous;
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
    QVERIFY(answers(server.port));
    QVERIFY(inJob(first));
    QVERIFY(freeze(first));
    const qint64 second = started(watcher.process, said, first);
    QVERIFY2(second && ends(first), said);
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
