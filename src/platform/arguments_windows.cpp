#include "platform/arguments.h"

#include "platform/process.h"
#include "platform/text_windows.h"

#include <windows.h>

namespace platform {

std::vector<std::string> programArguments(int argc, char **argv)
{
    std::vector<std::string> arguments = splitCommandLine(utf8FromWide(GetCommandLineW()));
    if (arguments.empty())
        arguments.assign(argv, argv + argc);
    return arguments;
}

} // namespace platform
