#pragma once

// `tarnctl stop` and `tarnctl restart`, for a server started detached or by
// a service manager.

#include "options.h"

namespace tarnctl {

int runStop(const Options &options);
int runRestart(const Options &options);

// Ends a watching tarnctl: SIGTERM, then after `graceSeconds` SIGKILL. It
// takes its server along either way. True once it has gone.
bool stopWatcher(qint64 pid, double graceSeconds);

} // namespace tarnctl
