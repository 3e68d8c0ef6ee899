#pragma once

#include "launch/launchform.h"

// The launch form of a main window freshly loaded from the store, built
// without one: the stored settings as start-up shows them, and what the map
// lists would offer. Reads only.
LaunchForm launchFormFromStore();

// The custom lines a launch with these settings writes, as stored: none
// unless "Use custom commands" is ticked.
QStringList customCommandsOf(const LaunchSettings &settings);
