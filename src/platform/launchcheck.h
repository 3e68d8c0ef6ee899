#pragma once

// What resolving a launch shares between the systems, and the parts each
// system answers for itself (in its process file).

#include <string>
#include <vector>

namespace platform {

// What a path names, as the system's own file check finds it.
enum class PathKind { Missing, Folder, File, Other };

PathKind pathKind(const std::string &hostPath);

// The first arguments of the start: the program's host path, on Linux with
// wine before a Windows executable. False, with the reason in `error`, when
// the program cannot run.
bool resolveProgram(
    const std::string &program, std::vector<std::string> *arguments, std::string *error);

// Why a program of that kind cannot be used, in the same words on every
// system; empty when it can be used.
std::string programRefusal(const std::string &program, PathKind kind);

// Puts the reason into `error`, when there is one to fill, and returns false.
bool fail(std::string *error, const std::string &reason);

} // namespace platform
