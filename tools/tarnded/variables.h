#pragma once

// The server's console variables. Names are matched without regard to case
// and kept in lower case; each keeps the order it was first set in, so the
// server info lists them the way the configuration named them.

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnded {

class Variables
{
public:
    // Starts with the variables every server has, at their defaults.
    Variables();

    bool contains(std::string_view name) const;
    std::string value(std::string_view name) const;
    long long number(std::string_view name) const;
    void set(std::string_view name, std::string value);

    // The public settings: the standard ones first, then the others in the
    // order they were first set. Passwords are never listed.
    std::vector<std::pair<std::string, std::string>> serverInfo() const;

private:
    std::map<std::string, std::string> values_;
    std::vector<std::string> setOrder_;
};

} // namespace tarnded
