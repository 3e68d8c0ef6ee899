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

bool askToStop(long long processId)
{
    return GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, DWORD(processId)) != 0;
}

} // namespace platform
