#include "platform/iphelper.h"

// winsock2.h must come before windows.h, which iphlpapi.h pulls in.
#include <winsock2.h>

#include <iphlpapi.h>
#include <windows.h>

// On Windows the tables come from the system's own IP Helper, as they are.

namespace platform {

unsigned long GetTcpTable(uint8_t *buffer, unsigned long *size, int sort)
{
    return ::GetTcpTable(reinterpret_cast<PMIB_TCPTABLE>(buffer), size, sort ? TRUE : FALSE);
}

unsigned long GetIfTable(uint8_t *buffer, unsigned long *size, int sort)
{
    return ::GetIfTable(reinterpret_cast<PMIB_IFTABLE>(buffer), size, sort ? TRUE : FALSE);
}

uint64_t millisecondsSinceBoot()
{
    return GetTickCount64();
}

} // namespace platform
