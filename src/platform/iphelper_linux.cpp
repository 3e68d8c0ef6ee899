#include "platform/iphelper.h"
#include "platform/iphelper_sources.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>
#include <sstream>
#include <tuple>

namespace platform {

namespace {

// The rows a size query read, kept for the read that normally follows it at
// once. That read then gets exactly the size it was told, so a table that
// grows between the two calls does not fail it, and the system is asked once.
template<typename Row> struct Snapshot
{
    std::vector<Row> rows;
    std::chrono::steady_clock::time_point taken;
    bool held = false;
};

// A fill that comes later than this reads the table afresh.
constexpr auto snapshotLife = std::chrono::milliseconds(500);

// The table contract shared by both tables: report the need, or fill.
template<typename Row>
unsigned long answer(Snapshot<Row> &snapshot, bool (*read)(std::vector<Row> &),
    std::size_t (*tableSize)(std::size_t), void (*encode)(const std::vector<Row> &, uint8_t *),
    bool (*before)(const Row &, const Row &), uint8_t *buffer, unsigned long *size, int sort)
{
    if (!size)
        return errorInvalidParameter;
    const auto now = std::chrono::steady_clock::now();
    const bool fresh = snapshot.held && now - snapshot.taken <= snapshotLife;
    snapshot.held = false;
    if (!fresh && !read(snapshot.rows))
        return errorNotSupported;
    const std::size_t need = tableSize(snapshot.rows.size());
    if (!buffer || *size < need) {
        *size = static_cast<unsigned long>(need);
        snapshot.taken = now;
        snapshot.held = true;
        return errorInsufficientBuffer;
    }
    if (sort)
        std::stable_sort(snapshot.rows.begin(), snapshot.rows.end(), before);
    encode(snapshot.rows, buffer);
    return noError;
}

bool readTcpRows(std::vector<TcpRow> &rows)
{
    return readTcpRowsSockDiag(rows) || readTcpRowsProc(rows);
}

bool readIfRows(std::vector<IfRow> &rows)
{
    return readIfRowsNetlink(rows) || readIfRowsSysfs(rows);
}

bool tcpRowBefore(const TcpRow &a, const TcpRow &b)
{
    const auto key = [](const TcpRow &row) {
        return std::tuple(addressNumber(row.localAddr), portNumber(row.localPort),
            addressNumber(row.remoteAddr), portNumber(row.remotePort));
    };
    return key(a) < key(b);
}

bool ifRowBefore(const IfRow &a, const IfRow &b)
{
    return a.index < b.index;
}

thread_local Snapshot<TcpRow> tcpSnapshot;
thread_local Snapshot<IfRow> ifSnapshot;

} // namespace

unsigned long GetTcpTable(uint8_t *buffer, unsigned long *size, int sort)
{
    return answer(
        tcpSnapshot, readTcpRows, tcpTableSize, encodeTcpTable, tcpRowBefore, buffer, size, sort);
}

unsigned long GetIfTable(uint8_t *buffer, unsigned long *size, int sort)
{
    return answer(
        ifSnapshot, readIfRows, ifTableSize, encodeIfTable, ifRowBefore, buffer, size, sort);
}

bool readTextFile(const std::string &path, std::string &text)
{
    std::ifstream file(path);
    if (!file)
        return false;
    std::ostringstream content;
    content << file.rdbuf();
    text = std::move(content).str();
    return true;
}

uint64_t millisecondsSinceBoot()
{
    timespec now {};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return uint64_t(now.tv_sec) * 1000 + uint64_t(now.tv_nsec) / 1000000;
}

} // namespace platform
