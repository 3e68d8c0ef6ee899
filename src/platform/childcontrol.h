#pragma once

// Windows only: how a program that runs a server as its child keeps it in
// hand. (Elsewhere signals and process groups do this.)

namespace platform {

// Calls `handler` on a thread of its own when the console asks this program
// to stop: Ctrl+C gives 2 (as SIGINT); Ctrl+Break, closing the console,
// logging off and shutting down give 15 (as SIGTERM). After the last three
// the system ends the program once a few seconds have passed, so the handler
// only starts the stop. A null handler stops the watching. False when the
// handler could not be set.
bool onConsoleStop(void (*handler)(int signalNumber));

// Asks a child in a process group of its own on this console to stop, as
// Ctrl+Break does.
bool askToStop(long long processId);

} // namespace platform
