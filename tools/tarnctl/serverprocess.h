#pragma once

// What running the server as tarnctl's child takes on this system: one file
// per system, picked by the build.

#include <QProcess>
#include <functional>

namespace tarnctl {

// Sets the server up, before it starts, to run apart from tarnctl's
// console group so that a stop reaches it through tarnctl.
void prepareServerProcess(QProcess &server);

// The server's arguments: split as resolveLaunch gives them, and the command
// line they came from, which a Windows program receives as it is.
void setServerArguments(QProcess &server, const QStringList &split, const QString &commandLine);

// After each start: the server ends with tarnctl, however tarnctl ends.
void serverStarted(const QProcess &server);

// Hands tarnctl's stop requests (Ctrl+C, termination, the terminal or
// console going away) to `stop` in the event loop, with the signal number
// they stand for. False when they cannot be watched.
bool watchStopRequests(QObject *context, std::function<void(int)> stop);
void stopWatchingStopRequests();

// Asks the server and its own children to stop: SIGINT or SIGTERM.
void askServerToStop(const QProcess &server, int signalNumber);
void killServer(QProcess &server);

} // namespace tarnctl
