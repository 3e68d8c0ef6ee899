#include "systemdnotify.h"

// Windows services have no such socket.

namespace tarnctl {

bool notifyServiceManager(const QByteArray &)
{
    return false;
}

std::optional<std::chrono::milliseconds> watchdogInterval()
{
    return std::nullopt;
}

} // namespace tarnctl
