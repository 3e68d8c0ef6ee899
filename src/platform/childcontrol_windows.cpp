#include "platform/childcontrol.h"

#include <atomic>
#include <windows.h>

namespace platform {

namespace {

std::atomic<void (*)(int)> stopHandler = nullptr;

BOOL WINAPI onControl(DWORD event)
{
    void (*handler)(int) = stopHandler.load();
    if (!handler)
        return FALSE;
    handler(event == CTRL_C_EVENT ? 2 : 15);
    // Returning from these ends the program at once; waiting here gives the
    // stop the few seconds the system allows.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        Sleep(INFINITE);
    return TRUE;
}

} // namespace

bool onConsoleStop(void (*handler)(int signalNumber))
{
    stopHandler = handler;
    return SetConsoleCtrlHandler(onControl, handler ? TRUE : FALSE) != 0;
}

bool tieToThisProcess(long long processId)
{
    // The job is never closed by hand: the system closes it when this
    // program ends, and then ends every process in it.
    static const HANDLE job = [] {
        const HANDLE created = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (created
            && !SetInformationJobObject(
                created, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
            CloseHandle(created);
            return HANDLE(nullptr);
        }
        return created;
    }();
    if (!job)
        return false;
    const HANDLE process
        = OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, DWORD(processId));
    if (!process)
        return false;
    const bool tied = AssignProcessToJobObject(job, process) != 0;
    CloseHandle(process);
    return tied;
}

bool askToStop(long long processId)
{
    return GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, DWORD(processId)) != 0;
}

} // namespace platform
