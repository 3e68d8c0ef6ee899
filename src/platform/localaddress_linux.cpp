#include "platform/localaddress.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace platform {

std::string localIpv4Address()
{
    std::string result = "127.0.0.1";
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return result;
    for (const ifaddrs *entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET)
            continue;
        if (!(entry->ifa_flags & IFF_UP) || (entry->ifa_flags & IFF_LOOPBACK))
            continue;
        const auto *address = reinterpret_cast<const sockaddr_in *>(entry->ifa_addr);
        char text[INET_ADDRSTRLEN] = {};
        if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text)) {
            result = text;
            break;
        }
    }
    freeifaddrs(list);
    return result;
}

} // namespace platform
