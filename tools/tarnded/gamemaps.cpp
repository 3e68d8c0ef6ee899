#include "gamemaps.h"

#include "configline.h"
#include "platform/filepath.h"
#include "platform/winpath.h"
#include "userfiles.h"

#include <algorithm>
#include <array>
#include <filesystem>

namespace tarnded {

namespace {

// The maps inside the game's own archives, which are not files of the
// folder; the stand-in knows them by name.
constexpr std::array<std::string_view, 26> gameMaps = {"dm/qevcon1", "dm/woxcon1", "dm/woxcon2",
    "dm/yatcon1", "dm/oxacon1", "dm/pimcon1", "dm/haxcon1", "dm/haxctb1", "dm/woxctb1",
    "dm/qevctb1", "dm/qevctb2", "dm/qevctb3", "dm/yatctb1", "dm/oxactb1", "dm/oxactb2",
    "dm/dovctb1", "dm/dovctb2", "dm/pimctb1", "dm/dovctf1", "dm/oxactf1", "dm/qevctf1",
    "dm/yatctf1", "dm/haxctf1", "dm/haxctf2", "dm/pimctf1", "dm/marlow"};
constexpr std::array<std::string_view, 5> mapPackMaps
    = {"dm/airportdm", "dm/factorydm", "dm/qevdesertdm", "dm/labdm", "dm/plantdm"};

bool isIn(const auto &names, std::string_view name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool isFile(const std::string &path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(platform::filePath(path), error);
}

} // namespace

bool mapExists(const std::string &gameFolder, std::string_view name)
{
    const std::string wanted = toLower(name);
    if (isIn(gameMaps, wanted))
        return true;
    if (isIn(mapPackMaps, wanted) && isFile(platform::hostPath(gameFolder + "/base/mappack.pak")))
        return true;
    return isFolderLocalName(name) && isFile(userPath(gameFolder, "MAPS/" + wanted + ".bsp"));
}

} // namespace tarnded
