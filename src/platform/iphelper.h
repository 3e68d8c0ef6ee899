#pragma once

// The system's TCP and interface tables with the IP Helper contract: called
// with no buffer (or one too small) they report the size they need; called
// with a buffer of that size they fill it with the published MIB_TCPTABLE or
// MIB_IFTABLE bytes.

#include "platform/winerror.h"

#include <cstdint>

namespace platform {

inline constexpr unsigned long noError = errorSuccess;

// Returns noError and fills `buffer`; errorInsufficientBuffer with *size set
// to the need when `buffer` is null or *size is too small; errorNotSupported
// only when no source of the table answers. A nonzero `sort` orders the rows
// by local address, local port, remote address and remote port.
unsigned long GetTcpTable(uint8_t *buffer, unsigned long *size, int sort);

// As GetTcpTable, for the interface table; `sort` orders the rows by index.
unsigned long GetIfTable(uint8_t *buffer, unsigned long *size, int sort);

// Time since the system started, as the interface table's last-change
// counters count it.
uint64_t millisecondsSinceBoot();

} // namespace platform
