#include "systemdnotify.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tarnctl {

bool notifyServiceManager(const QByteArray &message)
{
    const char *name = std::getenv("NOTIFY_SOCKET");
    if (!name || (name[0] != '/' && name[0] != '@'))
        return false;
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const std::size_t length = std::strlen(name);
    if (length >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, name, length);
    // An abstract name: a leading zero byte, and no terminating one.
    if (name[0] == '@')
        address.sun_path[0] = '\0';
    const socklen_t size
        = socklen_t(offsetof(sockaddr_un, sun_path) + length + (name[0] == '@' ? 0 : 1));
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const ssize_t sent = ::sendto(fd, message.constData(), std::size_t(message.size()),
        MSG_NOSIGNAL | MSG_DONTWAIT, reinterpret_cast<const sockaddr *>(&address), size);
    ::close(fd);
    return sent == message.size();
}

std::optional<std::chrono::milliseconds> watchdogInterval()
{
    const char *usec = std::getenv("WATCHDOG_USEC");
    if (!usec)
        return std::nullopt;
    // The keep-alive is meant for this process only.
    if (const char *pid = std::getenv("WATCHDOG_PID"); pid && *pid && std::atol(pid) != ::getpid())
        return std::nullopt;
    char *end = nullptr;
    const unsigned long long micros = std::strtoull(usec, &end, 10);
    if (end == usec || *end || micros == 0)
        return std::nullopt;
    // Twice within each interval, as the service manager advises.
    return std::chrono::milliseconds(std::max<unsigned long long>(micros / 2000, 1));
}

} // namespace tarnctl
