#pragma once

#include "launch/launchform.h"

#include <QDateTime>
#include <functional>

// The launch that "Go" and tarnctl both run: the game-folder check, the map
// files, Dedicated.cfg with its backup, the folder's short form, the start.
// Each caller starts the server its own way and words what failed its own
// way.

// What the start step is given.
struct ServerLaunch
{
    QString gameFolder; // as typed or stored
    QString shortFolder; // its short form, from which the server starts
    QString arguments; // the server's command line
};

// Starts the server; returns what failed, in words, or "".
using StartStep = std::function<QString(const ServerLaunch &)>;

struct LaunchResult
{
    ServerLaunch server;
    // Why the game folder cannot be used; then nothing was written.
    QString gameFolderProblem;
    bool mapFilesFailed = false;
    // Why Dedicated.cfg (or its backup) could not be written, or "".
    QString configurationFailure;
    // What the start step reported, or "".
    QString startFailure;
    bool started = false;

    bool filesWritten() const
    {
        return gameFolderProblem.isEmpty() && !mapFilesFailed && configurationFailure.isEmpty();
    }
};

// Writes the files of a launch from `form`, pressed at `when`, and then runs
// `start` (when given) only if every file was written: a server must never
// run on a stale or missing configuration, whose password nobody knows. A
// map file that fails does not keep Dedicated.cfg from being written.
LaunchResult runLaunch(const LaunchForm &form, const QDateTime &when, const StartStep &start);
