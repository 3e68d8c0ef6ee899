#include "platform/arguments.h"

namespace platform {

std::vector<std::string> programArguments(int argc, char **argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

} // namespace platform
