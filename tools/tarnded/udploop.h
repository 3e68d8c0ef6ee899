#pragma once

// The server's network side: one UDP socket, served until a "quit" command
// or a stop signal (SIGTERM/SIGINT; Ctrl+C, Ctrl+Break or WM_CLOSE on Windows).

#include <cstdint>
#include <string>

namespace tarnded {

class Server;

// Readies the process for serving; called once, first.
void prepareProcess();

// A UDP socket bound to address:port, or -1 with the reason in *error.
int bindUdp(const std::string &address, std::uint16_t port, std::string *error);
void closeUdp(int socket);

// Answers datagrams on the socket and advances the simulated play once a
// second while there are players. Waits in poll, never spins. Returns the
// process exit status.
int serve(Server &server, int socket);

} // namespace tarnded
