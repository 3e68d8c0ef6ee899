#pragma once

#include <string>

namespace platform {

// Where the game's installer registers its folder: the value "Path" of this
// key under HKLM.
inline constexpr char gameRegistrationPath[]
    = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\tarn.exe";

// How an operator registers a game folder by hand, as a message shows it.
inline std::string gameRegistrationCommand()
{
    return std::string("tarnreg add \"HKLM\\") + gameRegistrationPath + "\" /v Path /d FOLDER";
}

} // namespace platform
