#pragma once

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

} // namespace platform
