#include "rcon.h"

#include "server.h"

#include <algorithm>

namespace tarnded {

namespace {

constexpr std::string_view requestPrefix("\xFF\xFF\xFF\xFFrcon ", 9);
constexpr std::string_view replyPrefix("\xFF\xFF\xFF\xFFprint\n", 10);

} // namespace

std::vector<std::string> replyDatagrams(std::string_view text)
{
    std::vector<std::string> datagrams;
    do {
        std::size_t length = std::min(text.size(), maxReplyText);
        if (length < text.size()) {
            const std::size_t lineEnd = text.substr(0, length).rfind('\n');
            if (lineEnd != std::string_view::npos)
                length = lineEnd + 1;
        }
        datagrams.push_back(std::string(replyPrefix).append(text.substr(0, length)));
        text.remove_prefix(length);
    } while (!text.empty());
    return datagrams;
}

std::vector<std::string> handleDatagram(
    Server &server, std::string_view datagram, const std::string &from)
{
    if (!datagram.starts_with(requestPrefix))
        return {};
    std::string_view body = datagram.substr(requestPrefix.size());
    body = body.substr(0, body.find('\0'));

    // The password is matched as a whole prefix rather than cut at the first
    // blank, so a password that holds blanks still works.
    const std::string password = server.variables().value("rcon_password");
    if (password.empty())
        return replyDatagrams("No rcon_password set on the server.\n");
    const bool matches = body.starts_with(password)
        && (body.size() == password.size() || body[password.size()] == ' ');
    if (!matches) {
        server.log("Bad rcon from " + from + "\n");
        return replyDatagrams("Bad rcon_password.\n");
    }
    body.remove_prefix(std::min(body.size(), password.size() + 1));
    return replyDatagrams(server.execute(body, Server::Origin::Remote));
}

} // namespace tarnded
