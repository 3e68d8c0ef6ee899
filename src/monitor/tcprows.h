#pragma once

// The rows of the TCP Connection Status list and the texts of their cells.

#include "platform/iphelper_layout.h"

#include <QString>
#include <cstdint>
#include <vector>

// Dotted decimal form of an address field, its bytes in memory order.
QString FormatAddress(uint32_t field);
// Host-order port of a port field: first byte high, second low; the upper
// half of the field does not count.
int PortNumber(uint32_t field);
// The table's name for a state; empty outside 1 to 12.
QString StateName(uint32_t state);

// The rows the list shows, in table order. With `hideLocal`, rows whose local
// address is 0.0.0.0 or 127.0.0.1 are left out; the remote address never counts.
std::vector<platform::TcpRow> tcpRowsShown(std::vector<platform::TcpRow> rows, bool hideLocal);
