#include "platform/iphelper_sources.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <linux/if.h>
#include <sstream>

// The interface table from /proc/net/dev and /sys/class/net, for systems
// where the routing netlink does not answer.

namespace platform {

namespace {

std::string fileText(const std::string &path)
{
    std::string content;
    readTextFile(path, content);
    while (!content.empty() && (content.back() == '\n' || content.back() == ' '))
        content.pop_back();
    return content;
}

template<typename T> T fileNumber(const std::string &path, int base = 10)
{
    std::string text = fileText(path);
    if (base == 16 && text.starts_with("0x"))
        text.erase(0, 2);
    T value {};
    std::from_chars(text.data(), text.data() + text.size(), value, base);
    return value;
}

// "00:0c:29:ab:01:ff"
std::vector<uint8_t> hardwareAddress(std::string_view text)
{
    std::vector<uint8_t> bytes;
    for (std::size_t at = 0; at + 2 <= text.size(); at += 3) {
        uint8_t byte = 0;
        if (std::from_chars(text.data() + at, text.data() + at + 2, byte, 16).ec != std::errc())
            return {};
        bytes.push_back(byte);
    }
    return bytes;
}

// The kernel's IF_OPER_* numbering of the operstate words.
int operState(const std::string &word)
{
    static const char *const words[]
        = {"unknown", "notpresent", "down", "lowerlayerdown", "testing", "dormant", "up"};
    const auto found = std::find(std::begin(words), std::end(words), word);
    return found == std::end(words) ? 0 : int(found - std::begin(words));
}

} // namespace

std::vector<LinkFacts> parseProcNetDev(std::string_view text)
{
    std::vector<LinkFacts> links;
    std::istringstream lines {std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        LinkFacts link;
        const auto nameStart = line.find_first_not_of(' ');
        link.name = line.substr(nameStart, colon - nameStart);
        std::istringstream numbers(line.substr(colon + 1));
        uint64_t v[16];
        if (!(numbers >> v[0] >> v[1] >> v[2] >> v[3] >> v[4] >> v[5] >> v[6] >> v[7] >> v[8]
                >> v[9] >> v[10] >> v[11] >> v[12] >> v[13] >> v[14] >> v[15]))
            continue;
        // Received: bytes packets errs drop fifo frame compressed multicast;
        // sent: bytes packets errs drop fifo colls carrier compressed.
        link.counters = {v[0], v[1], v[2], v[3], v[7], 0, v[8], v[9], v[10], v[11]};
        links.push_back(std::move(link));
    }
    return links;
}

bool readIfRowsSysfs(std::vector<IfRow> &rows)
{
    std::string text;
    if (!readTextFile("/proc/net/dev", text))
        return false;
    rows.clear();
    for (LinkFacts &link : parseProcNetDev(text)) {
        const std::string folder = "/sys/class/net/" + link.name + "/";
        link.index = fileNumber<uint32_t>(folder + "ifindex");
        link.hardwareType = fileNumber<unsigned>(folder + "type");
        // The flags file holds the administrative flags only; the link's
        // running state is its carrier.
        link.flags = fileNumber<unsigned>(folder + "flags", 16);
        if (fileText(folder + "carrier") == "1")
            link.flags |= IFF_RUNNING;
        link.mtu = fileNumber<uint32_t>(folder + "mtu");
        link.operState = operState(fileText(folder + "operstate"));
        link.address = hardwareAddress(fileText(folder + "address"));
        link.alias = fileText(folder + "ifalias");
        rows.push_back(ifRowOf(link));
    }
    return true;
}

} // namespace platform
