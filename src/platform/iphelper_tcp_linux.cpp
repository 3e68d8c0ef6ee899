#include "platform/iphelper_netlink.h"
#include "platform/iphelper_sources.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iterator>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>

namespace platform {

namespace {

uint32_t rawAddressField(const void *networkBytes)
{
    uint8_t bytes[4];
    std::memcpy(bytes, networkBytes, 4);
    return addressField(bytes);
}

// A big-endian 16-bit port as the kernel keeps it.
uint32_t rawPortField(uint16_t networkPort)
{
    uint8_t bytes[2];
    std::memcpy(bytes, &networkPort, 2);
    return portField(uint16_t(bytes[0] << 8 | bytes[1]));
}

bool parseHex(std::string_view text, uint32_t &value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return error == std::errc() && end == text.data() + text.size();
}

// "0100007F:1F90": the address as the kernel's own 32-bit value of the
// network-order bytes, the port as a host number.
bool parseEndpoint(std::string_view text, uint32_t &address, uint32_t &port)
{
    const auto colon = text.find(':');
    uint32_t rawAddress = 0;
    uint32_t hostPort = 0;
    if (colon != 8 || !parseHex(text.substr(0, 8), rawAddress)
        || !parseHex(text.substr(colon + 1), hostPort) || hostPort > 0xFFFF)
        return false;
    address = rawAddressField(&rawAddress);
    port = portField(uint16_t(hostPort));
    return true;
}

std::string_view nextWord(std::string_view &line)
{
    const auto start = line.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        line = {};
        return {};
    }
    line.remove_prefix(start);
    const auto end = std::min(line.find(' '), line.size());
    const auto word = line.substr(0, end);
    line.remove_prefix(end);
    return word;
}

} // namespace

uint32_t tcpStateFromKernel(unsigned kernelState)
{
    // Kernel numbering from include/net/tcp_states.h; NEW_SYN_RECV (12) is a
    // pending connection, which the table calls SYN_RCVD.
    static constexpr uint32_t table[]
        = {0, tcpEstablished, tcpSynSent, tcpSynRcvd, tcpFinWait1, tcpFinWait2, tcpTimeWait,
            tcpClosed, tcpCloseWait, tcpLastAck, tcpListen, tcpClosing, tcpSynRcvd};
    return kernelState < std::size(table) ? table[kernelState] : 0;
}

bool readTcpRowsSockDiag(std::vector<TcpRow> &rows)
{
    inet_diag_req_v2 request {};
    request.sdiag_family = AF_INET;
    request.sdiag_protocol = IPPROTO_TCP;
    request.idiag_states = ~0U;
    rows.clear();
    return netlinkDump(NETLINK_SOCK_DIAG, SOCK_DIAG_BY_FAMILY, &request, sizeof request,
        SOCK_DIAG_BY_FAMILY, sizeof(inet_diag_msg), [&rows](const nlmsghdr &h) {
            inet_diag_msg socket;
            std::memcpy(&socket, NLMSG_DATA(&h), sizeof socket);
            if (socket.idiag_family != AF_INET)
                return;
            rows.push_back({tcpStateFromKernel(socket.idiag_state),
                rawAddressField(socket.id.idiag_src), rawPortField(socket.id.idiag_sport),
                rawAddressField(socket.id.idiag_dst), rawPortField(socket.id.idiag_dport)});
        });
}

std::vector<TcpRow> parseProcNetTcp(std::string_view text)
{
    std::vector<TcpRow> rows;
    while (!text.empty()) {
        const auto end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));

        // "sl local rem st ...": the heading's second word is no endpoint, so
        // it drops out like any other line that does not parse.
        nextWord(line);
        TcpRow row;
        uint32_t kernelState = 0;
        if (parseEndpoint(nextWord(line), row.localAddr, row.localPort)
            && parseEndpoint(nextWord(line), row.remoteAddr, row.remotePort)
            && parseHex(nextWord(line), kernelState)) {
            row.state = tcpStateFromKernel(kernelState);
            rows.push_back(row);
        }
    }
    return rows;
}

bool readTcpRowsProc(std::vector<TcpRow> &rows)
{
    std::string text;
    if (!readTextFile("/proc/net/tcp", text))
        return false;
    rows = parseProcNetTcp(text);
    return true;
}

} // namespace platform
