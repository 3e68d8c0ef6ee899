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

// Whether a command that writes the configuration has a remote-console
// password to give the server; said on stderr when not. A blank Rcon_pw
// takes the one generated for the store, which is made and kept here when
// there is none yet and the store can be written.
bool rconPasswordReady(const Options &options);

// Whether this instance's server runs already, said on stderr when it does.
bool instanceBusy();

} // namespace tarnctl
