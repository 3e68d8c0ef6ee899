#include "platform/iphelper_netlink.h"

#include <cerrno>
#include <cstring>
#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

class Socket
{
public:
    explicit Socket(int fd) : fd(fd) { }
    ~Socket()
    {
        if (fd >= 0)
            close(fd);
    }
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;
    const int fd;
};

// The kernel never builds a dump chunk larger than 32 KiB, so this buffer is
// never truncated.
constexpr std::size_t receiveBufferSize = 64 * 1024;

} // namespace

bool netlinkDump(int protocol, std::uint16_t type, const void *body, std::size_t bodySize,
    std::uint16_t answerType, std::size_t answerSize,
    const std::function<void(const nlmsghdr &answer)> &onAnswer)
{
    Socket socket(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, protocol));
    if (socket.fd < 0)
        return false;
    const std::size_t requestLength = NLMSG_LENGTH(bodySize);
    std::vector<char> request(NLMSG_SPACE(bodySize));
    auto &requestHeader = *reinterpret_cast<nlmsghdr *>(request.data());
    requestHeader.nlmsg_len = std::uint32_t(requestLength);
    requestHeader.nlmsg_type = type;
    requestHeader.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    std::memcpy(NLMSG_DATA(&requestHeader), body, bodySize);
    sockaddr_nl kernel {};
    kernel.nl_family = AF_NETLINK;
    iovec requestVector {request.data(), requestLength};
    msghdr requestMessage {&kernel, sizeof kernel, &requestVector, 1, nullptr, 0, 0};
    ssize_t sent;
    do {
        sent = sendmsg(socket.fd, &requestMessage, 0);
    } while (sent < 0 && errno == EINTR);
    if (sent != ssize_t(requestLength))
        return false;

    std::vector<char> buffer(receiveBufferSize);
    for (;;) {
        iovec vector {buffer.data(), buffer.size()};
        sockaddr_nl from {};
        msghdr message {&from, sizeof from, &vector, 1, nullptr, 0, 0};
        const ssize_t got = recvmsg(socket.fd, &message, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || (message.msg_flags & MSG_TRUNC))
            return false;
        const auto received = std::size_t(got);
        std::size_t offset = 0;
        while (offset + sizeof(nlmsghdr) <= received) {
            const auto &header = *reinterpret_cast<const nlmsghdr *>(buffer.data() + offset);
            if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > received - offset)
                return false;
            if (header.nlmsg_type == NLMSG_DONE)
                return true;
            if (header.nlmsg_type == NLMSG_ERROR)
                return false;
            if (header.nlmsg_type == answerType && header.nlmsg_len >= NLMSG_LENGTH(answerSize))
                onAnswer(header);
            offset += NLMSG_ALIGN(header.nlmsg_len);
        }
    }
}

} // namespace platform
