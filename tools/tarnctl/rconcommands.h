#pragma once

// `tarnctl rcon`, `tarnctl status` and `tarnctl reload`: the monitor's
// requests from the command line, the reply on standard output.

#include "options.h"
#include "rconclient.h"

#include <QByteArrayList>

#include <QByteArrayList>

namespace tarnctl {

// Where requests go and what they carry: what the options give, else what
// the monitor takes from the store.
struct Target
{
    QString host;
    quint16 port = 0;
    QString password;

    // As an operator would type it; an IPv6 address in brackets.
    QString address() const;
};

Target targetOf(const Options &options);

// Whether the server answers the monitor's status poll within `timeout`.
bool answersStatusPoll(const Target &target, Milliseconds timeout);

int runRcon(const Options &options);
// Sends one command part and gathers the reply datagrams. Returns 0, or the
// exit status of a failure already said on standard error.
int askOnce(const Options &options, const QString &commandPart, QByteArrayList &replies);
// Whether the settings the command needs can be read; says why not.
bool storeUsable(const Options &options);
int runStatus(const Options &options);
// Writes the configuration from the store again and has the running server
// read it.
int runReload(const Options &options);

// Sends one command part and gathers the reply datagrams. Returns 0, or the
// exit status of a failure already reported on standard error.
int askOnce(const Options &options, const QString &commandPart, QByteArrayList &replies);

} // namespace tarnctl
