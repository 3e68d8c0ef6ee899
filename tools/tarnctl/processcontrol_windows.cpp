#include "processcontrol.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <iterator>
#include <windows.h>

namespace tarnctl {

namespace {

HANDLE openProcess(qint64 pid, DWORD access)
{
    return pid > 0 ? ::OpenProcess(access, FALSE, DWORD(pid)) : nullptr;
}

} // namespace

BackgroundProcess::~BackgroundProcess()
{
    if (handle)
        ::CloseHandle(HANDLE(handle));
}

QString BackgroundProcess::start(const QStringList &arguments, const QString &logFile)
{
    QProcess process;
    process.setProgram(QCoreApplication::applicationFilePath());
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(logFile, QIODevice::Append);
    process.setStandardErrorFile(logFile, QIODevice::Append);
    // No console window, and a group of its own: the console tarnctl was
    // started from may close.
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *arguments) {
        arguments->flags &= ~DWORD(CREATE_NEW_CONSOLE);
        arguments->flags |= DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP;
    });
    if (!process.startDetached(&id))
        return QStringLiteral("cannot start %1: %2").arg(process.program(), process.errorString());
    handle = openProcess(id, SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION);
    return {};
}

std::optional<int> BackgroundProcess::ended()
{
    DWORD code = 0;
    if (!handle || !::GetExitCodeProcess(HANDLE(handle), &code) || code == STILL_ACTIVE)
        return std::nullopt;
    return int(code);
}

bool processRuns(qint64 pid)
{
    const HANDLE process = openProcess(pid, PROCESS_QUERY_LIMITED_INFORMATION);
    if (!process)
        return false;
    DWORD code = 0;
    const bool runs = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    ::CloseHandle(process);
    return runs;
}

bool tarnctlRuns(qint64 pid)
{
    const HANDLE process = openProcess(pid, PROCESS_QUERY_LIMITED_INFORMATION);
    if (!process)
        return false;
    wchar_t name[MAX_PATH * 2];
    DWORD size = DWORD(std::size(name));
    DWORD code = 0;
    const bool ours = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE
        && ::QueryFullProcessImageNameW(process, 0, name, &size)
        && QFileInfo(QString::fromWCharArray(name, int(size))).canonicalFilePath()
            == QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    ::CloseHandle(process);
    return ours;
}

// A watcher in a session of its own sees no console signal; it is ended, and
// its job object takes the server with it.
void endProcess(qint64 pid, bool)
{
    const HANDLE process = openProcess(pid, PROCESS_TERMINATE);
    if (!process)
        return;
    ::TerminateProcess(process, 1);
    ::CloseHandle(process);
}

} // namespace tarnctl
