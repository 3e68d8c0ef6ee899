#include "store/settingstable.h"

#include "store/settingsstore.h"
#include "store/storedvalues.h"
#include "store/textcodec.h"

namespace {

using enum StoredAs;
using enum Saved;
using S = LaunchSettings;

// The game registers its folder under this name, and start-up copies it to
// the launcher's key under the same name.
constexpr const char *gameFolderValue = "Path";

constexpr StoredSetting tick(
    Qt::CheckState S::*field, const char *valueName, StoredAs storedAs, Saved saved)
{
    return {valueName, "", storedAs, saved, nullptr, field};
}

constexpr StoredSetting text(QString S::*field, const char *valueName, const char *defaultText,
    StoredAs storedAs = Text, Saved saved = ByExit, bool loaded = true)
{
    return {valueName, defaultText, storedAs, saved, field, nullptr, loaded};
}

// The game folder is read from "Path", which start-up writes from the game's
// registration, and saved as "Game_Loc", which nothing reads back.
constexpr StoredSetting table[] = {
    tick(&S::verboseNetwork, "VerboseNet", Check, OnEveryChange),
    tick(&S::developer, "Developer", Check, OnEveryChange),
    tick(&S::logConsole, "LogConsole", Check, OnEveryChange),
    tick(&S::logStats, "LogStats", Check, OnEveryChange),
    tick(&S::useCustomCommands, "UseOther", Check, OnEveryChange),
    tick(&S::reduceLag, "ReduceLag", CheckWithBlank, ByExit),
    text(&S::fragLimit, "Frag_Limit", "30"),
    text(&S::timeLimit, "Time_Limit", "60"),
    text(&S::maxClients, "Max_Clients", "60"),
    text(&S::maxSpectators, "Max_Spec", "2"),
    text(&S::controlLimit, "Control_Limit", "4"),
    text(&S::ctfLoops, "CTF_Loops", "4"),
    tick(&S::cheats, "Cheats_ONOFF", CheckWithBlank, ByExit),
    text(&S::gameFolder, gameFolderValue, "C:\\Program Files\\Marlow\\Tarn Gold", Text, Never),
    text(&S::gameFolder, "Game_Loc", "", Text, ByExit, false),
    text(&S::hostName, "Host_Name", "Tarn Server Launcher v1.8 <Dedicated>"),
    text(&S::welcomeMessage, "Welcome_Mess", "Die..."),
    text(&S::port, "Server_Port", "28910"),
    tick(&S::publicServer, "Public_Server", CheckWithBlank, ByExit),
    tick(&S::openCommandList, "launchlist", CheckWithBlank, ByExit),
    text(&S::gravity, "sv_gravity", "800"),
    text(&S::password, "password", "", Password),
    text(&S::rconPassword, "rcon_pw", "", Password),
    tick(&S::useMapList, "UseMapList", CheckWithBlank, ByExit),
    text(&S::suicidePenalty, "svsuicidepenalty", "2"),
    text(&S::moveScale, "gmovescale", "1.0"),
    tick(&S::allowUploads, "allowuploads", Check, ByExit),
    tick(&S::allowDownloads, "allowdownloads", Check, ByExit),
    text(&S::reconnectLimit, "svreconnectlimit", "3"),
};

const QString gameTypeValue = QStringLiteral("Game_Type");
const QString startMapValue = QStringLiteral("Default_Map");

QString get(const QString &name)
{
    return RegGet(hkeyLocalMachine, launcherKey, name);
}

void put(const QString &name, const QString &text)
{
    rEGpUT(hkeyLocalMachine, launcherKey, name, text);
}

// The text a box shows for what is stored.
QString textFromStored(const StoredSetting &setting, const QString &stored)
{
    if (setting.storedAs == Password)
        return stored == QLatin1String("x") ? QString() : stored;
    return valueOrDefault(stored, QLatin1String(setting.defaultText));
}

// What is stored for the text of a box, or for the state of a tick.
QString storedText(const StoredSetting &setting, const LaunchSettings &settings)
{
    if (setting.check)
        return storedCheckText(settings.*setting.check, setting.storedAs == CheckWithBlank);
    const QString &text = settings.*setting.text;
    if (setting.storedAs == Password && text.isEmpty())
        return QStringLiteral("x");
    return text;
}

QString startUpGameFolder()
{
    return upperCp1252(registeredGameFolder());
}

} // namespace

std::span<const StoredSetting> storedSettings()
{
    return table;
}

LaunchSettings loadLaunchSettings()
{
    LaunchSettings settings;
    for (const StoredSetting &setting : table) {
        if (!setting.loaded)
            continue;
        // Start-up stores the registered folder before the settings are read.
        const QString stored = setting.text == &S::gameFolder
            ? startUpGameFolder()
            : get(QLatin1String(setting.valueName));
        if (setting.check)
            settings.*setting.check = checkStateFromStored(stored);
        else
            settings.*setting.text = textFromStored(setting, stored);
    }
    settings.gameTypeIndex = gameTypeIndexFromStored(get(gameTypeValue));
    for (int number = 1; number <= 16; ++number)
        settings.dmFlags[std::size_t(number - 1)]
            = checkStateFromStored(RegGet(hkeyLocalMachine, dmFlagsKey, numberedEntryName(number)));
    return settings;
}

void saveLaunchSettings(const LaunchSettings &settings)
{
    put(gameTypeValue,
        settings.gameTypeIndex < 0 ? QString() : QString::number(settings.gameTypeIndex));
    for (int number = 1; number <= 16; ++number)
        rEGpUT(hkeyLocalMachine, dmFlagsKey, numberedEntryName(number),
            storedCheckText(settings.dmFlags[std::size_t(number - 1)], true));
    for (const StoredSetting &setting : table) {
        if (setting.saved == ByExit)
            put(QLatin1String(setting.valueName), storedText(setting, settings));
    }
}

void saveSetting(Qt::CheckState LaunchSettings::*field, Qt::CheckState state)
{
    LaunchSettings settings;
    settings.*field = state;
    for (const StoredSetting &setting : table) {
        if (setting.check == field)
            put(QLatin1String(setting.valueName), storedText(setting, settings));
    }
}

QString registeredGameFolder()
{
    return RegGet(hkeyLocalMachine, gameRegistrationKey, QLatin1String(gameFolderValue));
}

void recordStartUp(const QString &launcherTitle)
{
    put(QLatin1String(gameFolderValue), startUpGameFolder());
    put(QStringLiteral("FullSoftVer"), launcherTitle);
}

QString savedStartMap()
{
    return get(startMapValue);
}

void saveStartMap(const QString &selectedMap)
{
    put(startMapValue, selectedMap.isEmpty() ? QStringLiteral("dm/marlow") : selectedMap);
}
