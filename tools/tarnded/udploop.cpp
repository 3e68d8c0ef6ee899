#include "udploop.h"

#include "rcon.h"
#include "server.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <winsock2.h>

#include <mswsock.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace tarnded {

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onStopSignal(int)
{
    stopRequested = 1;
}

using Clock = std::chrono::steady_clock;

#ifdef _WIN32

constexpr int receiveFlags = 0;

// The words the server gives on every system for the errors an operator
// meets when binding; the number for the rest.
std::string socketError()
{
    switch (const int number = WSAGetLastError()) {
    case WSAEADDRINUSE:
        return "Address already in use";
    case WSAEADDRNOTAVAIL:
        return "Cannot assign requested address";
    case WSAEACCES:
        return "Permission denied";
    default:
        return "Winsock error " + std::to_string(number);
    }
}

void closeSocket(int socket)
{
    ::closesocket(SOCKET(socket));
}

// A program that stops another the way Windows offers for programs with
// windows (QProcess::terminate() among them) posts WM_CLOSE to its main
// thread. That is a stop request too; the thread's message queue exists from
// the start (prepareProcess), or the message would be lost.
bool closeRequested()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_CLOSE || message.message == WM_QUIT)
            return true;
    }
    return false;
}

// Ctrl+C and Ctrl+Break (the stop tarnctl sends) arrive on a thread of the
// system's, which cannot break into the wait: the wait is kept short so the
// loop sees the request within a fifth of a second.
class StopSignals
{
public:
    StopSignals()
    {
        for (int number : {SIGINT, SIGTERM, SIGBREAK})
            std::signal(number, onStopSignal);
    }

    // 1 when the socket is readable, 0 when the time ran out, -1 on error.
    int wait(int socket, const Clock::duration *timeout) const
    {
        if (closeRequested())
            stopRequested = 1;
        constexpr auto longest = std::chrono::milliseconds(200);
        const auto wait = timeout ? std::min<Clock::duration>(*timeout, longest) : longest;
        WSAPOLLFD entry = {SOCKET(socket), POLLRDNORM, 0};
        const int ready
            = WSAPoll(&entry, 1, int(std::chrono::ceil<std::chrono::milliseconds>(wait).count()));
        // A pending socket error is reported as POLLERR until a receive takes
        // it; reading drains it, where waiting again would spin.
        return ready > 0 ? (entry.revents & (POLLRDNORM | POLLERR) ? 1 : 0) : ready;
    }
};

#else

constexpr int receiveFlags = MSG_DONTWAIT;

std::string socketError()
{
    return std::strerror(errno);
}

void closeSocket(int socket)
{
    ::close(socket);
}

// The stop signals stay blocked except while the loop waits in ppoll, so a
// signal can never slip in between the check and the wait.
class StopSignals
{
public:
    StopSignals()
    {
        sigset_t stopSignals;
        sigemptyset(&stopSignals);
        sigaddset(&stopSignals, SIGINT);
        sigaddset(&stopSignals, SIGTERM);
        sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
        sigdelset(&waitMask, SIGINT);
        sigdelset(&waitMask, SIGTERM);

        struct sigaction action = {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
    }

    // 1 when the socket is readable, 0 when the time ran out or a signal
    // came, -1 on error.
    int wait(int socket, const Clock::duration *timeout) const
    {
        timespec limit = {};
        if (timeout) {
            const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(*timeout);
            limit.tv_sec = static_cast<time_t>(nanoseconds.count() / 1'000'000'000);
            limit.tv_nsec = static_cast<long>(nanoseconds.count() % 1'000'000'000);
        }
        pollfd entry = {socket, POLLIN, 0};
        const int ready = ppoll(&entry, 1, timeout ? &limit : nullptr, &waitMask);
        if (ready < 0)
            return errno == EINTR ? 0 : -1;
        return ready > 0 && (entry.revents & POLLIN) ? 1 : 0;
    }

private:
    sigset_t waitMask;
};

#endif

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
    const auto received = recvfrom(socket, buffer.data(), static_cast<int>(buffer.size()),
        receiveFlags, reinterpret_cast<sockaddr *>(&from), &fromLength);
    if (received < 0 || fromLength != sizeof from || from.sin_family != AF_INET)
        return;
    const std::string_view datagram(buffer.data(), static_cast<std::size_t>(received));
    for (const std::string &reply : handleDatagram(server, datagram, addressText(from))) {
        // A reply that cannot be sent is lost like any datagram; the sender
        // asks again.
        sendto(socket, reply.data(), static_cast<int>(reply.size()), 0,
            reinterpret_cast<const sockaddr *>(&from), fromLength);
    }
}

} // namespace

void prepareProcess()
{
#ifdef _WIN32
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
#else
    // A console reader that goes away must not take the server with it.
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

int bindUdp(const std::string &address, std::uint16_t port, std::string *error)
{
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1) {
        *error = "\"" + address + "\" is not an IPv4 address";
        return -1;
    }
#ifdef _WIN32
    const SOCKET opened = ::socket(AF_INET, SOCK_DGRAM, 0);
    const int socket = opened == INVALID_SOCKET ? -1 : static_cast<int>(opened);
#else
    const int socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
#endif
    if (socket < 0) {
        *error = socketError();
        return -1;
    }
#ifdef _WIN32
    // Windows otherwise fails the next receive with "connection reset" when a
    // reply met a closed port (ICMP port unreachable): one client that went
    // away would cost the next one its request.
    BOOL reportResets = FALSE;
    DWORD returned = 0;
    WSAIoctl(SOCKET(socket), SIO_UDP_CONNRESET, &reportResets, sizeof reportResets, nullptr, 0,
        &returned, nullptr, nullptr);
#endif
    if (::bind(socket, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0) {
        *error = socketError();
        closeSocket(socket);
        return -1;
    }
    return socket;
}

void closeUdp(int socket)
{
    closeSocket(socket);
}

int serve(Server &server, int socket)
{
    constexpr auto tickInterval = std::chrono::seconds(1);

    const StopSignals stopSignals;
    // The largest UDP payload over IPv4 is 65,507 bytes; one more byte of
    // room costs nothing.
    std::vector<char> buffer(65536);
    auto nextTick = Clock::now() + tickInterval;

    while (!stopRequested) {
        Clock::duration wait {};
        if (server.isLive())
            wait = std::max(Clock::duration::zero(), nextTick - Clock::now());
        const int ready = stopSignals.wait(socket, server.isLive() ? &wait : nullptr);
        if (ready < 0) {
            server.log("poll failed: " + socketError() + "\n");
            return 1;
        }
        if (ready > 0) {
            answerOneDatagram(server, socket, buffer);
            if (server.quitRequested())
                return 0;
        }
        const auto now = Clock::now();
        if (!server.isLive()) {
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
