#pragma once

// Files of the game's USER folder, which the server reads by name from its
// configuration and from remote-console commands.

#include <optional>
#include <string>
#include <string_view>

namespace tarnded {

// True for a name that stays inside the folder it is looked up in: not
// empty, not absolute, no drive and no ".." component. Remote-console
// commands name files, so a name must not reach the rest of the disk.
bool isFolderLocalName(std::string_view name);

// The host path of gameFolder\USER\relative, each component found without
// regard to case.
std::string userPath(const std::string &gameFolder, std::string_view relative);

// The bytes of a regular file, or nothing when it is missing or unreadable.
std::optional<std::string> readRegularFile(const std::string &path);

} // namespace tarnded
