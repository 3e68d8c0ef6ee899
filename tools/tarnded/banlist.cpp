#include "banlist.h"

#include <algorithm>

namespace tarnded {

std::optional<std::string> normalIpv4(std::string_view text)
{
    std::string normal;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != '.')
                return std::nullopt;
            text.remove_prefix(1);
            normal += '.';
        }
        int value = 0;
        std::size_t digits = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9' && digits < 3)
            value = value * 10 + (text[digits++] - '0');
        if (digits == 0 || value > 255)
            return std::nullopt;
        text.remove_prefix(digits);
        normal += std::to_string(value);
    }
    if (!text.empty())
        return std::nullopt;
    return normal;
}

BanList::Added BanList::add(const std::string &address)
{
    if (std::find(entries_.begin(), entries_.end(), address) != entries_.end())
        return Added::AlreadyThere;
    if (entries_.size() >= maxEntries)
        return Added::Full;
    entries_.push_back(address);
    return Added::Yes;
}

bool BanList::remove(const std::string &address)
{
    return std::erase(entries_, address) > 0;
}

bool BanList::isBanned(std::string_view address) const
{
    const auto ip = normalIpv4(address.substr(0, address.find(':')));
    return ip && std::find(entries_.begin(), entries_.end(), *ip) != entries_.end();
}

} // namespace tarnded
