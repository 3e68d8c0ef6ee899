#include "serverprocess.h"

#include "platform/childcontrol.h"

#include <QMetaObject>
#include <QPointer>
#include <map>
#include <windows.h>
// Needs what windows.h declares.
#include <tlhelp32.h>

namespace tarnctl {

namespace {

// Set once, before the handler can run; read from the system's thread.
QPointer<QObject> stopContext;
std::function<void(int)> stopRequested;

// Each server's job object, by the server's process id: the server and all
// it starts, ended together. A job that kills on close dies with tarnctl.
std::map<qint64, HANDLE> jobs;

void noteStop(int signalNumber)
{
    // The handler runs on a thread of the system's: the stop itself is done
    // in the event loop.
    QMetaObject::invokeMethod(
        stopContext.data(), [signalNumber] { stopRequested(signalNumber); }, Qt::QueuedConnection);
}

QString lastError()
{
    return QStringLiteral("error %1").arg(GetLastError());
}

HANDLE jobOf(qint64 serverId)
{
    const auto found = jobs.find(serverId);
    return found == jobs.end() ? nullptr : found->second;
}

// The server was created suspended, so that it cannot start anything before
// it is in its job: its threads go on now.
bool resumeThreads(qint64 processId)
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    bool resumed = false;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != DWORD(processId))
            continue;
        if (const HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID)) {
            resumed = ResumeThread(thread) != DWORD(-1) || resumed;
            CloseHandle(thread);
        }
    }
    CloseHandle(snapshot);
    return resumed;
}

BOOL CALLBACK closeWindowOf(HWND window, LPARAM processId)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == DWORD(processId))
        PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

} // namespace

QString guardServers(std::chrono::milliseconds)
{
    // Each server's job kills on close: the system closes it when tarnctl
    // ends, however it ends.
    return {};
}

void prepareServerProcess(QProcess &server)
{
    // A process group of its own: Ctrl+C reaches tarnctl alone, which passes
    // it on as Ctrl+Break, the one event that can be sent to a group.
    server.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *arguments) {
        arguments->flags |= CREATE_NEW_PROCESS_GROUP | CREATE_SUSPENDED;
    });
}

void setServerArguments(QProcess &server, const QStringList &, const QString &commandLine)
{
    // Quoting the split arguments again could change what the server reads.
    server.setNativeArguments(commandLine);
}

QString serverStarted(const QProcess &server)
{
    const qint64 id = server.processId();
    QString problem;
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    const HANDLE process = OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, DWORD(id));
    if (!job || !process
        || !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)
        || !AssignProcessToJobObject(job, process)) {
        problem = QStringLiteral("the server could not be put in a job object (%1): it may "
                                 "outlive tarnctl, and what it starts is not stopped with it")
                      .arg(lastError());
        if (job)
            CloseHandle(job);
        job = nullptr;
    }
    if (process)
        CloseHandle(process);
    if (job)
        jobs[id] = job;
    if (!resumeThreads(id))
        problem += QStringLiteral("%1the server could not be resumed (%2)")
                       .arg(problem.isEmpty() ? QString() : QStringLiteral("; "), lastError());
    return problem;
}

bool watchStopRequests(QObject *context, std::function<void(int)> stop)
{
    stopContext = context;
    stopRequested = std::move(stop);
    return platform::onConsoleStop(noteStop);
}

void stopWatchingStopRequests()
{
    platform::onConsoleStop(nullptr);
}

// A windowed server never sees Ctrl+Break, and a console one has no window
// to close: both are sent.
void askServerToStop(const QProcess &server, int)
{
    EnumWindows(closeWindowOf, LPARAM(server.processId()));
    platform::askToStop(server.processId());
}

void killServer(QProcess &server)
{
    if (const HANDLE job = jobOf(server.processId()))
        TerminateJobObject(job, 1);
    server.kill();
}

bool serverGroupRuns(qint64 serverId)
{
    const HANDLE job = jobOf(serverId);
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    return job
        && QueryInformationJobObject(
            job, JobObjectBasicAccountingInformation, &accounting, sizeof accounting, nullptr)
        && accounting.ActiveProcesses > 0;
}

// What a server leaves behind has no console or window of tarnctl's to be
// asked through: it is ended at once.
void endServerGroup(qint64 serverId, bool)
{
    if (const HANDLE job = jobOf(serverId))
        TerminateJobObject(job, 1);
}

void serverGroupGone(qint64 serverId)
{
    if (const HANDLE job = jobOf(serverId)) {
        CloseHandle(job);
        jobs.erase(serverId);
    }
}

} // namespace tarnctl
