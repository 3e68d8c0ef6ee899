#include "platform/launchcheck.h"

#include "platform/process.h"
#include "platform/winpath.h"

namespace platform {

bool fail(std::string *error, const std::string &reason)
{
    if (error)
        *error = reason;
    return false;
}

std::string programRefusal(const std::string &program, PathKind kind)
{
    switch (kind) {
    case PathKind::Missing:
        return program + " does not exist";
    case PathKind::Folder:
        return program + " is a folder, not a program";
    case PathKind::Other:
        return program + " is not a program file";
    case PathKind::File:
        break;
    }
    return {};
}

// Checks what can be checked before anything starts, so that the common
// mistakes are reported in plain words and leave nothing behind.
bool resolveLaunch(const std::string &program, const std::string &arguments,
    const std::string &workingDirectory, ResolvedLaunch *resolved, std::string *error)
{
    if (!resolveProgram(program, &resolved->arguments, error))
        return false;
    for (std::string &argument : splitCommandLine(arguments))
        resolved->arguments.push_back(std::move(argument));

    resolved->directory = hostPath(workingDirectory);
    const std::string folder = "The working folder " + workingDirectory;
    if (resolved->directory.empty())
        return fail(error, folder + " is on a drive that is not mapped");
    const PathKind kind = pathKind(resolved->directory);
    if (kind == PathKind::Missing)
        return fail(error, folder + " does not exist");
    if (kind != PathKind::Folder)
        return fail(error, folder + " is not a folder");
    return true;
}

} // namespace platform
