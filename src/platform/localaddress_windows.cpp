#include "platform/localaddress.h"

#include <winsock2.h>

#include <iphlpapi.h>
#include <vector>

namespace platform {

namespace {

bool isLinkLocal(const unsigned char *bytes)
{
    return bytes[0] == 169 && bytes[1] == 254;
}

// The interface that traffic to the Internet leaves by: the one holding the
// default route. The route to an address of the documentation range
// (198.51.100.1) is the default one on every machine; asking for it sends
// nothing.
DWORD defaultRouteInterface()
{
    DWORD index = 0;
    return GetBestInterface(htonl(0xC6336401), &index) == NO_ERROR ? index : 0;
}

} // namespace

// Hyper-V, WSL, VPN and VirtualBox adapters are up too, and often listed
// first: the adapter of the default route is the one others reach this
// machine by. A link-local 169.254 address (an adapter that found no DHCP
// server) is never the answer.
std::string localIpv4Address()
{
    constexpr ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST
        | GAA_FLAG_SKIP_DNS_SERVER | GAA_FLAG_SKIP_FRIENDLY_NAME;
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG status = ERROR_BUFFER_OVERFLOW;
    // The list may grow between the size answer and the read.
    for (int attempt = 0; attempt < 4 && status == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        status = GetAdaptersAddresses(AF_INET, flags, nullptr,
            reinterpret_cast<IP_ADAPTER_ADDRESSES *>(buffer.data()), &size);
    }
    if (status != NO_ERROR)
        return "127.0.0.1";
    const DWORD routed = defaultRouteInterface();
    std::string first;
    for (auto *adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES *>(buffer.data()); adapter;
         adapter = adapter->Next) {
        if (adapter->OperStatus != IfOperStatusUp || adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK)
            continue;
        for (const IP_ADAPTER_UNICAST_ADDRESS *entry = adapter->FirstUnicastAddress; entry;
             entry = entry->Next) {
            const sockaddr *address = entry->Address.lpSockaddr;
            if (!address || address->sa_family != AF_INET)
                continue;
            const auto *bytes = reinterpret_cast<const unsigned char *>(
                &reinterpret_cast<const sockaddr_in *>(address)->sin_addr);
            if (isLinkLocal(bytes))
                continue;
            const std::string text = std::to_string(bytes[0]) + '.' + std::to_string(bytes[1]) + '.'
                + std::to_string(bytes[2]) + '.' + std::to_string(bytes[3]);
            if (routed && adapter->IfIndex == routed)
                return text;
            if (first.empty())
                first = text;
        }
    }
    return first.empty() ? "127.0.0.1" : first;
}

} // namespace platform
