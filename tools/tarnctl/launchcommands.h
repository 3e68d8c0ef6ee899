#pragma once

// `tarnctl config` and `tarnctl start`: what "Go" writes and starts, from
// the store instead of a window.

#include "options.h"

namespace tarnctl {

int runConfig(const Options &options);
int runStart(const Options &options);

} // namespace tarnctl
