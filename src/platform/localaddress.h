#pragma once

#include <string>

namespace platform {

// The first IPv4 address of an interface that is up and not loopback, else
// "127.0.0.1".
std::string localIpv4Address();

} // namespace platform
