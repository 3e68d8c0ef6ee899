#include "platform/winpath.h"

#include "platform/text_windows.h"

#include <windows.h>

// On Windows the program's paths are the system's own: they need no mapping.

namespace platform {

std::string hostPath(const std::string &windowsPath)
{
    return windowsPath.empty() ? std::string(".") : windowsPath;
}

std::string shortPath(const std::string &windowsPath)
{
    const std::wstring path = wideFromUtf8(windowsPath.empty() ? "." : windowsPath);
    // The short form of the full path, so that the answer does not depend
    // on the current folder.
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length
            = GetFullPathNameW(path.c_str(), DWORD(full.size()), full.data(), nullptr);
        if (length == 0)
            return {};
        if (length < full.size()) {
            full.resize(length);
            break;
        }
        full.resize(length);
    }
    std::wstring result(full.size() + 1, L'\0');
    for (;;) {
        const DWORD length = GetShortPathNameW(full.c_str(), result.data(), DWORD(result.size()));
        if (length == 0)
            return {};
        if (length < result.size()) {
            result.resize(length);
            return utf8FromWide(result);
        }
        result.resize(length);
    }
}

} // namespace platform
