#pragma once

// How Windows-style paths begin and key paths split, the same on every
// system.

#include <string>
#include <vector>

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

// The components of a registry key path. Empty components are no
// components, so "A\B\", "A\\B" and "A\B" name one key, as the settings
// code relies on for its trailing backslashes.
inline std::vector<std::string> keyPathParts(const std::string &path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

} // namespace platform
