#pragma once

#include <string>

namespace platform {

// The IPv4 address others reach this machine by. On Windows: that of the
// adapter holding the default route, else the first of an adapter that is
// up, never loopback or link-local (169.254). Elsewhere: the first of an
// interface that is up and not loopback. "127.0.0.1" when there is none.
std::string localIpv4Address();

} // namespace platform
