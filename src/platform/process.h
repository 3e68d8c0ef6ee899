#pragma once

#include <string>
#include <vector>

namespace platform {

// Splits the argument part of a command line the way Windows programs split
// theirs (blanks separate, double quotes group, backslashes escape quotes).
std::vector<std::string> splitCommandLine(const std::string &arguments);

// Starts a program by its full path, never through a search path, and does
// not wait for it. `program` is a Windows-style or host path, resolved
// component by component without regard to case; `arguments` is the rest of
// a Windows command line. The program runs detached in a session of its
// own, with stdin, stdout and stderr on /dev/null, in `workingDirectory`
// (a Windows-style or host path). A Windows executable runs through wine
// when wine is installed. Returns false, with the reason in `error`, when
// nothing was started.
bool startDetached(const std::string &program, const std::string &arguments,
    const std::string &workingDirectory, std::string *error);

} // namespace platform
