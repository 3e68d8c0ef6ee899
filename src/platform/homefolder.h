#pragma once

#include <string>

namespace platform {

// The user's home folder on Linux: $HOME, else the password database's
// entry, else "/". The settings store and wine's prefix live below it.
std::string homeFolder();

} // namespace platform
