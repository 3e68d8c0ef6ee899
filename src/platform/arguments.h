#pragma once

#include <string>
#include <vector>

namespace platform {

// The program's arguments, its own name first, in UTF-8. On Windows they are
// read from the system's wide command line and split by the C runtime's
// rules, since argv holds them in the ANSI code page; elsewhere argv is
// UTF-8 already.
std::vector<std::string> programArguments(int argc, char **argv);

} // namespace platform
