#pragma once

#include "store/launchsettings.h"

#include <QStringList>

// Everything a launch takes from the main window, as one value: the
// settings as the operator left them, and what the map lists decided.
struct LaunchForm : LaunchSettings
{
    QString launcherTitle;
    // The stored custom lines, removed ones left out; read only when "Use
    // custom commands" is ticked.
    QStringList customCommands;
    // The start map: the selected available map in lower case, else the
    // second entry of the available maps as shown.
    QString startMap;
    // Whether "Use this Maplist" is enabled and ticked, and the cycle.
    bool useMapCycle = false;
    QStringList mapCycle;
};
