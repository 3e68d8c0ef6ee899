#pragma once

// How a Windows-style path begins, the same on every system.

#include <string>

namespace platform {

inline bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

inline bool hasDrive(const std::string &path)
{
    return path.size() >= 2 && path[1] == ':'
        && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

} // namespace platform
