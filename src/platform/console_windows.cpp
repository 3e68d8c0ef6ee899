#include "platform/console.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace platform {

void setBinaryOutput()
{
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

Utf8Console::Utf8Console() : previous(GetConsoleOutputCP())
{
    // Without a console there is no code page to set or give back.
    if (previous)
        SetConsoleOutputCP(CP_UTF8);
}

Utf8Console::~Utf8Console()
{
    std::fflush(stdout);
    std::fflush(stderr);
    if (previous)
        SetConsoleOutputCP(previous);
}

} // namespace platform
