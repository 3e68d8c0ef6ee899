#pragma once

#include <QStringList>

// The maps every copy of the game has, in the order they are offered.
const QStringList &builtInMaps();

// The maps of the map pack, present when the game folder holds
// base\mappack.pak.
const QStringList &mapPackMaps();

// True when the game folder holds an ordinary file named exactly
// "mappack.pak" in its base folder; another letter case does not count.
bool mapPackInstalled(const QString &gameFolder);

// The map names of the files matching a Windows-style pattern such as
// "C:\GAMES\TARN\USER\MAPS\DM\*.BSP": ordinary and hidden files of that
// folder only, extension matched in any case, in the order the folder
// lists them. A name loses its four-character extension, gains "DM/" when
// dmFolder is set, and is lower-cased.
QStringList mapFileNames(const QString &pattern, bool dmFolder);

// The available-map list as the main window shows it: built-in maps, the map
// pack's when installed and the custom maps in upper case, then the map
// files of USER\MAPS\DM and USER\MAPS; sorted without regard to case,
// equal names in the order they came.
QStringList availableMaps(const QString &gameFolder);

// The row of the saved start map (DM/MARLOW when none was saved) in
// the available maps, found without regard to case; -1 when not there.
qsizetype defaultMapRow(const QStringList &available);

// The start map when the launch uses no map cycle: the selected entry in
// lower case, else the second entry of the list, else nothing.
QString startMap(const QStringList &available, qsizetype selectedRow);
