#include "platform/iphelper_layout.h"

#include "platform/registry.h"

#include <algorithm>
#include <type_traits>

namespace platform {

namespace {

// Every field is a double word, as the registry stores one.
uint32_t load32(const uint8_t *p)
{
    return regDwordValue(p, 4);
}

void store32(uint8_t *p, uint32_t value)
{
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
    p[2] = uint8_t(value >> 16);
    p[3] = uint8_t(value >> 24);
}

// Field offsets inside one MIB_IFROW.
constexpr std::size_t ifIndexAt = 2 * ifNameChars;
constexpr std::size_t ifPhysAddrAt = ifIndexAt + 5 * 4;
constexpr std::size_t ifAdminAt = ifPhysAddrAt + physAddrMax;
constexpr std::size_t ifDescrAt = ifAdminAt + 16 * 4;
static_assert(ifDescrAt + ifDescrMax == ifRowSize);

// The 32-bit fields in the order they follow each other, in two runs: the
// first five after the name, the sixteen after the physical address.
template<typename Row, typename Fn> void forEachField(Row &row, Fn fn)
{
    using Field = std::conditional_t<std::is_const_v<Row>, const uint32_t, uint32_t>;
    Field *head[] = {&row.index, &row.type, &row.mtu, &row.speed, &row.physAddrLen};
    for (std::size_t i = 0; i < std::size(head); ++i)
        fn(ifIndexAt + 4 * i, *head[i]);
    Field *tail[] = {&row.adminStatus, &row.operStatus, &row.lastChange, &row.inOctets,
        &row.inUcastPkts, &row.inNUcastPkts, &row.inDiscards, &row.inErrors, &row.inUnknownProtos,
        &row.outOctets, &row.outUcastPkts, &row.outNUcastPkts, &row.outDiscards, &row.outErrors,
        &row.outQLen, &row.descrLen};
    for (std::size_t i = 0; i < std::size(tail); ++i)
        fn(ifAdminAt + 4 * i, *tail[i]);
}

std::size_t rowsHeld(const uint8_t *data, std::size_t length, std::size_t rowSize)
{
    if (!data || length < tableHeaderSize)
        return 0;
    return std::min<std::size_t>(load32(data), (length - tableHeaderSize) / rowSize);
}

} // namespace

uint32_t addressField(const uint8_t networkBytes[4])
{
    return load32(networkBytes);
}

uint32_t portField(uint16_t port)
{
    const uint8_t bytes[4] = {uint8_t(port >> 8), uint8_t(port), 0, 0};
    return load32(bytes);
}

uint32_t addressNumber(uint32_t field)
{
    return (field & 0xFF) << 24 | (field >> 8 & 0xFF) << 16 | (field >> 16 & 0xFF) << 8
        | field >> 24;
}

uint16_t portNumber(uint32_t field)
{
    return uint16_t((field & 0xFF) << 8 | (field >> 8 & 0xFF));
}

std::size_t tcpTableSize(std::size_t rows)
{
    return tableHeaderSize + rows * tcpRowSize;
}

std::size_t ifTableSize(std::size_t rows)
{
    return tableHeaderSize + rows * ifRowSize;
}

void encodeTcpTable(const std::vector<TcpRow> &rows, uint8_t *out)
{
    store32(out, uint32_t(rows.size()));
    uint8_t *p = out + tableHeaderSize;
    for (const TcpRow &row : rows) {
        store32(p, row.state);
        store32(p + 4, row.localAddr);
        store32(p + 8, row.localPort);
        store32(p + 12, row.remoteAddr);
        store32(p + 16, row.remotePort);
        p += tcpRowSize;
    }
}

std::vector<TcpRow> decodeTcpTable(const uint8_t *data, std::size_t length)
{
    std::vector<TcpRow> rows(rowsHeld(data, length, tcpRowSize));
    // data may be null when nothing is held, and null + offset is undefined.
    if (rows.empty())
        return rows;
    const uint8_t *p = data + tableHeaderSize;
    for (TcpRow &row : rows) {
        row = {load32(p), load32(p + 4), load32(p + 8), load32(p + 12), load32(p + 16)};
        p += tcpRowSize;
    }
    return rows;
}

void encodeIfTable(const std::vector<IfRow> &rows, uint8_t *out)
{
    store32(out, uint32_t(rows.size()));
    uint8_t *p = out + tableHeaderSize;
    for (const IfRow &row : rows) {
        for (std::size_t i = 0; i < ifNameChars; ++i) {
            p[2 * i] = uint8_t(row.name[i]);
            p[2 * i + 1] = uint8_t(row.name[i] >> 8);
        }
        forEachField(row, [p](std::size_t at, uint32_t field) { store32(p + at, field); });
        std::copy(row.physAddr.begin(), row.physAddr.end(), p + ifPhysAddrAt);
        std::copy(row.descr.begin(), row.descr.end(), p + ifDescrAt);
        p += ifRowSize;
    }
}

std::vector<IfRow> decodeIfTable(const uint8_t *data, std::size_t length)
{
    std::vector<IfRow> rows(rowsHeld(data, length, ifRowSize));
    // data may be null when nothing is held, and null + offset is undefined.
    if (rows.empty())
        return rows;
    const uint8_t *p = data + tableHeaderSize;
    for (IfRow &row : rows) {
        for (std::size_t i = 0; i < ifNameChars; ++i)
            row.name[i] = char16_t(p[2 * i] | p[2 * i + 1] << 8);
        forEachField(row, [p](std::size_t at, uint32_t &field) { field = load32(p + at); });
        std::copy_n(p + ifPhysAddrAt, physAddrMax, row.physAddr.begin());
        std::copy_n(p + ifDescrAt, ifDescrMax, row.descr.begin());
        p += ifRowSize;
    }
    return rows;
}

} // namespace platform
