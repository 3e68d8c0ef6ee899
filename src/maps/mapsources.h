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
