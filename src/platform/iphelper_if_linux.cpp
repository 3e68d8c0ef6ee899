#include "platform/codepage.h"
#include "platform/iphelper_netlink.h"
#include "platform/iphelper_sources.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <linux/if.h>
#include <linux/if_arp.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <string>

namespace platform {

namespace {

// IANA interface types as the table numbers them.
constexpr uint32_t ifTypeOther = 1;
constexpr uint32_t ifTypeEthernet = 6;
constexpr uint32_t ifTypePpp = 23;
constexpr uint32_t ifTypeLoopback = 24;
constexpr uint32_t ifTypeIeee80211 = 71;
constexpr uint32_t ifTypeTunnel = 131;

// Administrative and operational status values of the table.
constexpr uint32_t adminUp = 1;
constexpr uint32_t adminDown = 2;
constexpr uint32_t operNonOperational = 0;
constexpr uint32_t operDisconnected = 2;
constexpr uint32_t operConnecting = 3;
constexpr uint32_t operOperational = 5;

uint32_t interfaceType(unsigned hardwareType)
{
    switch (hardwareType) {
    case ARPHRD_ETHER:
        return ifTypeEthernet;
    case ARPHRD_LOOPBACK:
        return ifTypeLoopback;
    case ARPHRD_PPP:
        return ifTypePpp;
    case ARPHRD_IEEE80211:
        return ifTypeIeee80211;
    case ARPHRD_TUNNEL:
    case ARPHRD_TUNNEL6:
    case ARPHRD_SIT:
    case ARPHRD_IPGRE:
    case ARPHRD_NONE:
        return ifTypeTunnel;
    default:
        return ifTypeOther;
    }
}

uint32_t operationalStatus(unsigned flags, int operState)
{
    if (!(flags & IFF_UP))
        return operNonOperational;
    switch (operState) {
    case IF_OPER_UP:
        return operOperational;
    case IF_OPER_DORMANT:
        return operConnecting;
    case IF_OPER_UNKNOWN:
        // Loopback and many virtual links never report a state of their own.
        return (flags & IFF_RUNNING) ? operOperational : operDisconnected;
    default:
        return operDisconnected;
    }
}

// The link speed in bits per second, held at the table's 32-bit limit;
// 0 where the driver reports none.
uint32_t linkSpeed(const std::string &name)
{
    std::string text;
    long long megabits = 0;
    if (!readTextFile("/sys/class/net/" + name + "/speed", text)
        || std::from_chars(text.data(), text.data() + text.size(), megabits).ec != std::errc()
        || megabits <= 0)
        return 0;
    return uint32_t(std::min<long long>(megabits * 1000000, 0xFFFFFFFF));
}

void setName(IfRow &row, const std::string &name)
{
    const std::u16string wide = cp1252ToUtf16(utf8ToCp1252(name));
    std::copy_n(wide.begin(), std::min(wide.size(), ifNameChars - 1), row.name.begin());
}

void setDescription(IfRow &row, const std::string &text)
{
    const std::string bytes = utf8ToCp1252(text);
    row.descrLen = uint32_t(std::min(bytes.size(), ifDescrMax));
    std::copy_n(bytes.begin(), row.descrLen, row.descr.begin());
}

template<typename T> T attributeValue(const rtattr &attribute)
{
    T value {};
    std::memcpy(
        &value, RTA_DATA(&attribute), std::min<std::size_t>(sizeof value, RTA_PAYLOAD(&attribute)));
    return value;
}

std::string attributeText(const rtattr &attribute)
{
    const auto *data = static_cast<const char *>(RTA_DATA(&attribute));
    return std::string(data, strnlen(data, RTA_PAYLOAD(&attribute)));
}

LinkCounters countersOf(const rtnl_link_stats64 &stats)
{
    return {stats.rx_bytes, stats.rx_packets, stats.rx_errors, stats.rx_dropped, stats.multicast,
        stats.rx_nohandler, stats.tx_bytes, stats.tx_packets, stats.tx_errors, stats.tx_dropped};
}

LinkFacts linkFacts(const ifinfomsg &link, const rtattr *attribute, int left)
{
    LinkFacts facts;
    facts.index = uint32_t(link.ifi_index);
    facts.hardwareType = link.ifi_type;
    facts.flags = link.ifi_flags;
    facts.operState = IF_OPER_UNKNOWN;
    for (; RTA_OK(attribute, left); attribute = RTA_NEXT(attribute, left)) {
        switch (attribute->rta_type) {
        case IFLA_IFNAME:
            facts.name = attributeText(*attribute);
            break;
        case IFLA_IFALIAS:
            facts.alias = attributeText(*attribute);
            break;
        case IFLA_MTU:
            facts.mtu = attributeValue<uint32_t>(*attribute);
            break;
        case IFLA_OPERSTATE:
            facts.operState = attributeValue<uint8_t>(*attribute);
            break;
        case IFLA_ADDRESS: {
            const auto *data = static_cast<const uint8_t *>(RTA_DATA(attribute));
            facts.address.assign(data, data + RTA_PAYLOAD(attribute));
            break;
        }
        case IFLA_STATS64:
            facts.counters = countersOf(attributeValue<rtnl_link_stats64>(*attribute));
            break;
        default:
            break;
        }
    }
    return facts;
}

} // namespace

// Counters are kept as their low 32 bits, the width the table gives them;
// the kernel counts no multicast sent, so every packet sent counts unicast.
IfRow ifRowOf(const LinkFacts &link)
{
    const LinkCounters &count = link.counters;
    IfRow row;
    row.index = link.index;
    row.type = interfaceType(link.hardwareType);
    row.mtu = link.mtu;
    row.speed = linkSpeed(link.name);
    row.physAddrLen = uint32_t(std::min(link.address.size(), physAddrMax));
    std::copy_n(link.address.begin(), row.physAddrLen, row.physAddr.begin());
    row.adminStatus = (link.flags & IFF_UP) ? adminUp : adminDown;
    row.operStatus = operationalStatus(link.flags, link.operState);
    // The kernel keeps no time of the last state change; 0 says "since the
    // system started". Nor does it show a queue length, only the limit.
    row.lastChange = 0;
    row.outQLen = 0;
    row.inOctets = uint32_t(count.rxBytes);
    row.inUcastPkts = uint32_t(count.rxPackets - std::min(count.rxMulticast, count.rxPackets));
    row.inNUcastPkts = uint32_t(count.rxMulticast);
    row.inDiscards = uint32_t(count.rxDropped);
    row.inErrors = uint32_t(count.rxErrors);
    row.inUnknownProtos = uint32_t(count.rxNoHandler);
    row.outOctets = uint32_t(count.txBytes);
    row.outUcastPkts = uint32_t(count.txPackets);
    row.outDiscards = uint32_t(count.txDropped);
    row.outErrors = uint32_t(count.txErrors);
    setName(row, link.name);
    // The kernel keeps no text about the hardware; the operator's alias is
    // the nearest thing, the name stands in without one.
    setDescription(row, link.alias.empty() ? link.name : link.alias);
    return row;
}

bool readIfRowsNetlink(std::vector<IfRow> &rows)
{
    ifinfomsg request {};
    request.ifi_family = AF_UNSPEC;
    rows.clear();
    return netlinkDump(NETLINK_ROUTE, RTM_GETLINK, &request, sizeof request, RTM_NEWLINK,
        sizeof(ifinfomsg), [&rows](const nlmsghdr &h) {
            const auto *link = static_cast<const ifinfomsg *>(NLMSG_DATA(&h));
            rows.push_back(ifRowOf(linkFacts(*link, IFLA_RTA(link), int(IFLA_PAYLOAD(&h)))));
        });
}

} // namespace platform
