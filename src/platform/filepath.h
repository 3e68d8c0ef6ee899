#pragma once

// Host paths are UTF-8 on every system. A std::filesystem::path built from a
// plain std::string would read it in the C library's code page, which on
// Windows is the ANSI one: "Jürgen" would name another file. These build and
// read paths as UTF-8, and the file streams take them in the system's own
// (on Windows, wide) form.

#include <filesystem>
#include <string>

namespace platform {

inline std::filesystem::path filePath(const std::string &utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8Path(const std::filesystem::path &path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace platform
