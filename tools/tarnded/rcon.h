#pragma once

// The remote console's datagrams. A request is 0xFF 0xFF 0xFF 0xFF, "rcon ",
// the password, a blank and a command line, optionally ended by 0x00. Every
// reply datagram is 0xFF 0xFF 0xFF 0xFF, "print\n" and a piece of the answer.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarnded {

class Server;

// Longest answer text carried by one datagram.
constexpr std::size_t maxReplyText = 1390;

// The reply datagrams for one received datagram (none when it is not a
// remote-console request). from names the sender on the console when the
// password is wrong.
std::vector<std::string> handleDatagram(
    Server &server, std::string_view datagram, const std::string &from);

// An answer cut into reply datagrams, preferably at line ends; an empty
// answer still gives one datagram, so the sender sees that it was heard.
std::vector<std::string> replyDatagrams(std::string_view text);

} // namespace tarnded
