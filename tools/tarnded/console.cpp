#include "console.h"

#include "platform/codepage.h"

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
    if (log_) {
        std::fwrite(text.data(), 1, text.size(), log_);
        std::fflush(log_);
    }
}

bool StandardConsole::setLogFile(const std::string &path)
{
    if (path == logPath_ && (log_ || path.empty()))
        return true;
    if (log_)
        std::fclose(log_);
    log_ = nullptr;
    logPath_.clear();
    if (path.empty())
        return true;
    log_ = std::fopen(path.c_str(), "ab");
    if (!log_)
        return false;
    logPath_ = path;
    return true;
}

} // namespace tarnded
