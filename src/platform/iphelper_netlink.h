#pragma once

// A netlink dump: one request, then every message of the answer in turn.

#include <cstddef>
#include <functional>

struct nlmsghdr;

namespace platform {

// Sends `request` (a complete netlink message asking for a dump) on a new
// socket of `protocol` and hands each answer message to `onMessage`. False
// when the socket cannot be opened or the kernel reports an error; the
// messages handed on until then stand.
bool netlinkDump(int protocol, const void *request, std::size_t requestLength,
    const std::function<void(const nlmsghdr &message)> &onMessage);

} // namespace platform
