#pragma once

// The maps the game can load: those that come with the game (the map pack's
// when base\mappack.pak is there) and the map files of USER\MAPS.

#include <string>
#include <string_view>

namespace tarnded {

// name as "map" takes it: a folder prefix and a name without extension,
// such as "dm/qevcon1", compared without regard to case.
bool mapExists(const std::string &gameFolder, std::string_view name);

} // namespace tarnded
