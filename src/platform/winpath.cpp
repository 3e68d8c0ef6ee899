#include "platform/winpath.h"

#include "platform/pathparts.h"

namespace platform {

bool isFullPath(const std::string &windowsPath)
{
    if (hasDrive(windowsPath))
        return windowsPath.size() > 2 && isSeparator(windowsPath[2]);
    return !windowsPath.empty() && isSeparator(windowsPath[0]);
}

} // namespace platform
