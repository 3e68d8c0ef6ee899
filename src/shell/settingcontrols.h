#pragma once

#include "store/launchsettings.h"

#include <span>

// Which control of the main window shows each launch setting. The DM flag
// boxes and the game type buttons go by number instead.

struct TextControl
{
    const char *control;
    QString LaunchSettings::*field;
};

struct TickControl
{
    const char *control;
    Qt::CheckState LaunchSettings::*field;
};

std::span<const TextControl> textControls();
std::span<const TickControl> tickControls();
