#pragma once

// `tarnctl rcon` and `tarnctl status`: the monitor's requests from the
// command line, the reply on standard output.

#include "options.h"

namespace tarnctl {

int runRcon(const Options &options);
int runStatus(const Options &options);

} // namespace tarnctl
