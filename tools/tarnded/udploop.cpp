#include "udploop.h"

#include "rcon.h"
#include "server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace tarnded {

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onStopSignal(int)
{
    stopRequested = 1;
}

// The stop signals stay blocked except while the loop waits in ppoll, so a
// signal can never slip in between the check and the wait.
sigset_t blockStopSignals()
{
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    sigdelset(&waitMask, SIGINT);
    sigdelset(&waitMask, SIGTERM);

    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    return waitMask;
}

std::string addressText(const sockaddr_in &address)
{
    char host[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, host, sizeof host);
    return std::string(host) + ":" + std::to_string(ntohs(address.sin_port));
}

void answerOneDatagram(Server &server, int socket, std::vector<char> &buffer)
{
    sockaddr_in from = {};
    socklen_t fromLength = sizeof from;
    const ssize_t received = recvfrom(socket, buffer.data(), buffer.size(), MSG_DONTWAIT,
        reinterpret_cast<sockaddr *>(&from), &fromLength);
    if (received < 0 || fromLength != sizeof from || from.sin_family != AF_INET)
        return;
    const std::string_view datagram(buffer.data(), static_cast<std::size_t>(received));
    for (const std::string &reply : handleDatagram(server, datagram, addressText(from))) {
        // A reply that cannot be sent is lost like any datagram; the sender
        // asks again.
        sendto(socket, reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr *>(&from),
            fromLength);
    }
}

} // namespace

int bindUdp(const std::string &address, std::uint16_t port, std::string *error)
{
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1) {
        *error = "\"" + address + "\" is not an IPv4 address";
        return -1;
    }
    const int socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (socket < 0) {
        *error = std::strerror(errno);
        return -1;
    }
    if (::bind(socket, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0) {
        *error = std::strerror(errno);
        ::close(socket);
        return -1;
    }
    return socket;
}

int serve(Server &server, int socket)
{
    using Clock = std::chrono::steady_clock;
    constexpr auto tickInterval = std::chrono::seconds(1);

    const sigset_t waitMask = blockStopSignals();
    // The largest UDP payload over IPv4 is 65,507 bytes; one more byte of
    // room costs nothing.
    std::vector<char> buffer(65536);
    auto nextTick = Clock::now() + tickInterval;

    while (!stopRequested) {
        timespec timeout = {};
        const timespec *timeoutPointer = nullptr;
        if (server.hasBots()) {
            const auto wait = std::max(Clock::duration::zero(), nextTick - Clock::now());
            const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(wait);
            timeout.tv_sec = static_cast<time_t>(nanoseconds.count() / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(nanoseconds.count() % 1'000'000'000);
            timeoutPointer = &timeout;
        }
        pollfd entry = {socket, POLLIN, 0};
        const int ready = ppoll(&entry, 1, timeoutPointer, &waitMask);
        if (ready < 0 && errno != EINTR) {
            server.log(std::string("poll failed: ") + std::strerror(errno) + "\n");
            return 1;
        }
        if (ready > 0 && (entry.revents & POLLIN)) {
            answerOneDatagram(server, socket, buffer);
            if (server.quitRequested())
                return 0;
        }
        const auto now = Clock::now();
        if (!server.hasBots()) {
            nextTick = now + tickInterval;
        } else if (now >= nextTick) {
            server.tick();
            nextTick = now + tickInterval;
        }
    }
    server.log("Stopped by signal.\n");
    return 0;
}

} // namespace tarnded
