#pragma once

// Byte layouts of MIB_TCPTABLE and MIB_IFTABLE: a 4-byte row count, then the
// rows, every field a little-endian 32-bit value. Decoders take (pointer,
// length) and never read past the end, whatever the count claims.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

inline constexpr std::size_t tableHeaderSize = 4;
inline constexpr std::size_t tcpRowSize = 20;
inline constexpr std::size_t ifRowSize = 860;
inline constexpr std::size_t ifNameChars = 256;
inline constexpr std::size_t physAddrMax = 8;
inline constexpr std::size_t ifDescrMax = 256;

// MIB_TCPROW states.
enum TcpState : uint32_t {
    tcpClosed = 1,
    tcpListen = 2,
    tcpSynSent = 3,
    tcpSynRcvd = 4,
    tcpEstablished = 5,
    tcpFinWait1 = 6,
    tcpFinWait2 = 7,
    tcpCloseWait = 8,
    tcpClosing = 9,
    tcpLastAck = 10,
    tcpTimeWait = 11,
    tcpDeleteTcb = 12,
};

// One MIB_TCPROW. Addresses and ports hold their bytes in network order in
// memory, so each field is the little-endian value of those bytes.
struct TcpRow
{
    uint32_t state = 0;
    uint32_t localAddr = 0;
    uint32_t localPort = 0;
    uint32_t remoteAddr = 0;
    uint32_t remotePort = 0;
};

// One MIB_IFROW.
struct IfRow
{
    std::array<char16_t, ifNameChars> name {};
    uint32_t index = 0;
    uint32_t type = 0;
    uint32_t mtu = 0;
    uint32_t speed = 0;
    uint32_t physAddrLen = 0;
    std::array<uint8_t, physAddrMax> physAddr {};
    uint32_t adminStatus = 0;
    uint32_t operStatus = 0;
    uint32_t lastChange = 0;
    uint32_t inOctets = 0;
    uint32_t inUcastPkts = 0;
    uint32_t inNUcastPkts = 0;
    uint32_t inDiscards = 0;
    uint32_t inErrors = 0;
    uint32_t inUnknownProtos = 0;
    uint32_t outOctets = 0;
    uint32_t outUcastPkts = 0;
    uint32_t outNUcastPkts = 0;
    uint32_t outDiscards = 0;
    uint32_t outErrors = 0;
    uint32_t outQLen = 0;
    uint32_t descrLen = 0;
    std::array<uint8_t, ifDescrMax> descr {};
};

// The field value of 4 address bytes given in network order, and of a port
// given as a host number.
uint32_t addressField(const uint8_t networkBytes[4]);
uint32_t portField(uint16_t port);
// The host numbers back, for ordering.
uint32_t addressNumber(uint32_t field);
uint16_t portNumber(uint32_t field);

std::size_t tcpTableSize(std::size_t rows);
std::size_t ifTableSize(std::size_t rows);

// Write a whole table into `out`, which holds at least tcpTableSize(rows) or
// ifTableSize(rows) bytes.
void encodeTcpTable(const std::vector<TcpRow> &rows, uint8_t *out);
void encodeIfTable(const std::vector<IfRow> &rows, uint8_t *out);

// The rows that the count claims and the buffer actually holds.
std::vector<TcpRow> decodeTcpTable(const uint8_t *data, std::size_t length);
std::vector<IfRow> decodeIfTable(const uint8_t *data, std::size_t length);

} // namespace platform
