#pragma once

// `tarnctl config` and `tarnctl start`: what "Go" writes and starts, from
// the store instead of a window.

#include "options.h"

namespace tarnctl {

int runConfig(const Options &options);
int runStart(const Options &options);

// Writes the configuration and map files from the store as "Go" does, each
// failure on stderr; returns the exit status.
int writeLaunchFiles();

// Whether this instance's server runs already, said on stderr when it does.
bool instanceBusy();

} // namespace tarnctl
