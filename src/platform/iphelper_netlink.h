#pragma once

// A netlink dump: one request, then every message of the answer in turn.

#include <cstddef>
#include <cstdint>
#include <functional>

struct nlmsghdr;

namespace platform {

// Asks for a dump on a new socket of `protocol`: a request of `type`
// carrying `body`. Each answer message of `answerType` whose body holds at
// least `answerSize` bytes goes to `onAnswer`. False when the socket cannot
// be opened or the kernel reports an error; the answers handed on until
// then stand.
bool netlinkDump(int protocol, std::uint16_t type, const void *body, std::size_t bodySize,
    std::uint16_t answerType, std::size_t answerSize,
    const std::function<void(const nlmsghdr &answer)> &onAnswer);

} // namespace platform
