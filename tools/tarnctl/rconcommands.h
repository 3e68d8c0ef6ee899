#pragma once

// `tarnctl rcon` and `tarnctl status`: the monitor's requests from the
// command line, the reply on standard output.

#include "options.h"

#include <QByteArrayList>

namespace tarnctl {

int runRcon(const Options &options);
int runStatus(const Options &options);

// Sends one command part and gathers the reply datagrams. Returns 0, or the
// exit status of a failure already reported on standard error.
int askOnce(const Options &options, const QString &commandPart, QByteArrayList &replies);

} // namespace tarnctl
