#pragma once

// The addresses whose players the server refuses, kept by filter_add,
// filter_remove and filter_list for as long as the server runs.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnded {

class BanList
{
public:
    // A list that anyone with the password could grow without end would
    // only fill memory.
    static constexpr std::size_t maxEntries = 1024;

    enum class Added { Yes, AlreadyThere, Full };
    Added add(const std::string &address);
    bool remove(const std::string &address);
    // True when the IPv4 part of an "address:port" text is on the list.
    bool isBanned(std::string_view address) const;
    const std::vector<std::string> &entries() const { return entries_; }

private:
    std::vector<std::string> entries_;
};

// A dotted IPv4 address in its plain form ("010.0.0.1" is "10.0.0.1"), or
// nothing when the text is not one.
std::optional<std::string> normalIpv4(std::string_view text);

} // namespace tarnded
