#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Splits the argument part of a command line the way Windows programs split
// theirs (blanks separate, double quotes group, backslashes escape quotes).
std::vector<std::string> splitCommandLine(const std::string &arguments);

// What starting a program comes to on this host: the program file and its
// arguments as exec takes them (on Linux, wine and the host path of a
// Windows executable first) and the host folder it runs in.
struct ResolvedLaunch
{
    std::vector<std::string> arguments;
    std::string directory;
};

// Resolves a start the way startDetached does, without starting anything,
// for a caller that runs and watches the program itself. Returns false, with
// the reason in `error`, when the program could not be started.
bool resolveLaunch(const std::string &program, const std::string &arguments,
    const std::string &workingDirectory, ResolvedLaunch *resolved, std::string *error);

// Starts a program by its full path, never through a search path, and does
// not wait for it. `program` is a Windows-style or host path, resolved
// component by component without regard to case; `arguments` is the rest of
// a Windows command line. The program runs detached, in `workingDirectory`
// (a Windows-style or host path). On Linux it runs in a session of its own
// with stdin, stdout and stderr on /dev/null, a Windows executable through
// wine when wine is installed; on Windows it runs in a console of its own,
// its command line the quoted program and `arguments` as given, and its
// window as `window` says.
// Returns false, with the reason in `error`, when nothing was started.
enum class StartWindow {
    // A server: minimized, leaving the focus where it is.
    minimizedInBackground,
    // A program the user asked to see.
    normal,
};
bool startDetached(const std::string &program, const std::string &arguments,
    const std::string &workingDirectory, std::string *error,
    StartWindow window = StartWindow::minimizedInBackground);

// How a started program ended: its exit code, or the signal that ended it
// (Linux only; 0 when none did).
struct ProcessEnd
{
    int code = 0;
    int signal = 0;
};

// A program started as startDetached starts one, in a session of its own so
// that it outlives this program, but kept in hand: its output is appended
// to a file, and this program can see it end and end it. Destroying the
// object leaves the program running.
class WatchedProcess
{
public:
    WatchedProcess() = default;
    WatchedProcess(const WatchedProcess &) = delete;
    WatchedProcess &operator=(const WatchedProcess &) = delete;
    ~WatchedProcess();

    // As startDetached, with standard output and error appended to
    // `outputFile` (a host path, made when missing, readable by its owner
    // only). Returns false, with the reason in `error`, when nothing started.
    bool start(const std::string &program, const std::string &arguments,
        const std::string &workingDirectory, const std::string &outputFile, std::string *error);

    // How the program ended, once it has; nothing while it runs.
    std::optional<ProcessEnd> ended();
    // Ends the program outright.
    void kill();

private:
    long long id = 0;
    void *handle = nullptr;
    std::optional<ProcessEnd> end;
};

} // namespace platform
