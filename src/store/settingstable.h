#pragma once

#include "store/launchsettings.h"

#include <QString>
#include <span>

// Which stored value each launch setting is loaded from and saved to, with
// its default and the form its text takes in the store. Everything that
// reads or writes the launch settings goes through this one table, and only
// here are the stored value names spelt out.

enum class StoredAs {
    Text, // as typed; empty reads as the default
    Password, // as typed; "x" stands for an empty box
    Check, // "0", "1" or "2"
    CheckWithBlank, // " 0", " 1" or " 2"
};

enum class Saved {
    ByExit, // with everything else when "Exit" or "Go" is pressed
    OnEveryChange, // by the box itself, whenever it changes
    Never, // only read
};

struct StoredSetting
{
    const char *valueName;
    const char *defaultText;
    StoredAs storedAs;
    Saved saved;
    // The field the value is held in: a text for Text and Password, a tick
    // for the other forms.
    QString LaunchSettings::*text = nullptr;
    Qt::CheckState LaunchSettings::*check = nullptr;
    bool loaded = true;
};

std::span<const StoredSetting> storedSettings();

// The settings as the main window shows them once it has started: each
// from its stored value, the game folder from the game's registration.
LaunchSettings loadLaunchSettings();

// Stores what "Exit" and "Go" save: everything but the ticks that save
// themselves.
void saveLaunchSettings(const LaunchSettings &settings);

// Stores one tick, as a tick that saves itself does on every change.
void saveSetting(Qt::CheckState LaunchSettings::*field, Qt::CheckState state);

// The game folder as the game registered it; "" when it did not.
QString registeredGameFolder();

// What start-up records: the registered game folder, upper-cased, as the
// folder in use, and the launcher's name and version.
void recordStartUp(const QString &launcherTitle);

// The start map the last save kept, "" when none; and the save of the map
// selected, "dm/marlow" when none is.
QString savedStartMap();
void saveStartMap(const QString &selectedMap);

// The remote-console password made for this store, used where "rcon_pw"
// holds fewer than two characters; "rcon_pw" keeps what the operator typed.
// No control shows it.
inline constexpr char generatedRconPasswordName[] = "rcon_pw_generated";
