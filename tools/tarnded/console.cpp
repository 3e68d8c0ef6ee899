#include "console.h"

#include "platform/codepage.h"
#include "platform/filepath.h"

#include <cstdio>

namespace tarnded {

StandardConsole::~StandardConsole()
{
    setLogFile({});
}

void StandardConsole::print(std::string_view text)
{
    const std::string utf8 = platform::cp1252ToUtf8(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
    if (log_.is_open()) {
        log_.write(text.data(), std::streamsize(text.size()));
        log_.flush();
    }
}

bool StandardConsole::setLogFile(const std::string &path)
{
    if (path == logPath_ && (log_.is_open() || path.empty()))
        return true;
    log_.close();
    logPath_.clear();
    if (path.empty())
        return true;
    log_.clear();
    log_.open(platform::filePath(path), std::ios::binary | std::ios::app);
    if (!log_.is_open())
        return false;
    logPath_ = path;
    return true;
}

} // namespace tarnded
