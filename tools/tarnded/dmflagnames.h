#pragma once

#include <array>

namespace tarnded {

// The rule switches of the DM flags value, bit 0 first, named as the
// launcher's DM flag boxes name them.
inline constexpr std::array<const char *, 16> dmFlagNames = {
    "No Health",
    "No Items",
    "Weapons Stay",
    "No Falling Damage",
    "Realistic Damage",
    "Same Level",
    "No weapon reload",
    "Teamplay",
    "No Friendly Fire",
    "Force Respawn",
    "No Armor",
    "Infinite Ammo",
    "Spinning Weapons",
    "Bullet Only",
    "Force Join",
    "Team red/blue",
};

} // namespace tarnded
