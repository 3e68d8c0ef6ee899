#pragma once

// Where the tables come from on this system. Each reader replaces `rows` and
// returns false when its source cannot answer.

#include "platform/iphelper_layout.h"

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The whole of a (usually /proc or /sys) file; false when it cannot be opened.
bool readTextFile(const std::string &path, std::string &text);

bool readTcpRowsSockDiag(std::vector<TcpRow> &rows);
bool readTcpRowsProc(std::vector<TcpRow> &rows);
// The rows of a /proc/net/tcp text; lines that do not parse are skipped.
std::vector<TcpRow> parseProcNetTcp(std::string_view text);
// The table's state number of a kernel TCP state; 0 for one it does not know.
uint32_t tcpStateFromKernel(unsigned kernelState);

// What the kernel tells of one network link, from either source.
struct LinkCounters
{
    uint64_t rxBytes = 0;
    uint64_t rxPackets = 0;
    uint64_t rxErrors = 0;
    uint64_t rxDropped = 0;
    uint64_t rxMulticast = 0;
    uint64_t rxNoHandler = 0;
    uint64_t txBytes = 0;
    uint64_t txPackets = 0;
    uint64_t txErrors = 0;
    uint64_t txDropped = 0;
};

struct LinkFacts
{
    uint32_t index = 0;
    unsigned hardwareType = 0;
    unsigned flags = 0;
    int operState = 0;
    uint32_t mtu = 0;
    std::string name;
    std::string alias;
    std::vector<uint8_t> address;
    LinkCounters counters;
};

IfRow ifRowOf(const LinkFacts &link);

bool readIfRowsNetlink(std::vector<IfRow> &rows);
bool readIfRowsSysfs(std::vector<IfRow> &rows);
// Interface names and counters of a /proc/net/dev text.
std::vector<LinkFacts> parseProcNetDev(std::string_view text);

} // namespace platform
