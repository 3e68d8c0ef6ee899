#pragma once

// Where the server's console text goes: standard output, and the log file
// while logging is on.

#include <fstream>
#include <string>
#include <string_view>

namespace tarnded {

class Console
{
public:
    virtual ~Console() = default;

    // Windows-1252 text, normally whole lines.
    virtual void print(std::string_view text) = 0;

    // Starts appending to the host file at path, or stops with "". False
    // when the file cannot be opened.
    virtual bool setLogFile(const std::string &path) = 0;
};

// Standard output as UTF-8, flushed per call so that a reader sees each line
// as it is printed; the log file receives the bytes unchanged.
class StandardConsole : public Console
{
public:
    StandardConsole() = default;
    StandardConsole(const StandardConsole &) = delete;
    StandardConsole &operator=(const StandardConsole &) = delete;
    ~StandardConsole() override;

    void print(std::string_view text) override;
    bool setLogFile(const std::string &path) override;

private:
    std::ofstream log_;
    std::string logPath_;
};

} // namespace tarnded
