#pragma once

// What running the server as tarnctl's child takes on this system: one file
// per system, picked by the build. The server runs in a group of its own
// (a process group, a job object) with whatever it starts, and the group is
// what is stopped and cleared away.

#include <QProcess>
#include <chrono>
#include <functional>

namespace tarnctl {

// Once, before the first start: makes every server started afterwards, and
// its group, end with tarnctl however tarnctl ends; a group that outlives
// tarnctl gets `grace` to stop before it is ended. Returns why that cannot
// be done, or "".
QString guardServers(std::chrono::milliseconds grace);

// Sets the server up, before it starts, to run apart from tarnctl's
// console group so that a stop reaches it through tarnctl.
void prepareServerProcess(QProcess &server);

// The server's arguments: split as resolveLaunch gives them, and the command
// line they came from, which a Windows program receives as it is.
void setServerArguments(QProcess &server, const QStringList &split, const QString &commandLine);

// After each start. Returns what went wrong in tying the server to tarnctl,
// or ""; the server runs in either case.
QString serverStarted(const QProcess &server);

// Hands tarnctl's stop requests (Ctrl+C, termination, the terminal or
// console going away) to `stop` in the event loop, with the signal number
// they stand for. False when they cannot be watched.
bool watchStopRequests(QObject *context, std::function<void(int)> stop);
void stopWatchingStopRequests();

// Asks the server and its group to stop: SIGINT or SIGTERM.
void askServerToStop(const QProcess &server, int signalNumber);
// Ends the server and its group at once.
void killServer(QProcess &server);

// After the server with that process id has ended: whether some of its group
// still runs, and asking that to stop, or with `force` ending it.
bool serverGroupRuns(qint64 serverId);
void endServerGroup(qint64 serverId, bool force);
// The server's group is gone; tarnctl runs no server now.
void serverGroupGone(qint64 serverId);

} // namespace tarnctl
