#include "platform/launchcheck.h"

namespace platform {

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

std::string folderRefusal(const std::string &folder, PathKind kind)
{
    if (kind == PathKind::Missing)
        return "The working folder " + folder + " does not exist";
    if (kind != PathKind::Folder)
        return "The working folder " + folder + " is not a folder";
    return {};
}

} // namespace platform
