#pragma once

#include <string>

namespace platform {

// What a path names, as the system's own file check finds it.
enum class PathKind { Missing, Folder, File, Other };

// Why a program or a working folder of that kind cannot be used, in the same
// words on every system; empty when it can be used.
std::string programRefusal(const std::string &program, PathKind kind);
std::string folderRefusal(const std::string &folder, PathKind kind);

} // namespace platform
