#include "server.h"

#include "dmflagnames.h"
#include "gamemaps.h"
#include "platform/codepage.h"
#include "userfiles.h"

#include <cstdio>

namespace tarnded {

namespace {

// Deep enough for any sensible configuration, shallow enough that a file
// that executes itself ends instead of exhausting the stack.
constexpr int maxExecDepth = 8;

// The socket is bound and the mode chosen once the start-up arguments are
// in; a configuration cannot move the server afterwards.
bool isFixedAfterStart(std::string_view name)
{
    return name == "hostport" || name == "dedicated" || name == "net_ip";
}

} // namespace

Server::Server(Console &console, std::string gameFolder, std::string commandLine)
    : console_(console), gameFolder_(std::move(gameFolder)), commandLine_(std::move(commandLine))
{
}

void Server::applySettings(const std::vector<ConsoleLine> &arguments)
{
    for (const ConsoleLine &line : arguments) {
        if (toLower(line.verb) == "set") {
            std::string out;
            run(line, out);
            console_.print(out);
        }
    }
    startupDone_ = true;
}

void Server::runConfiguration(const std::vector<ConsoleLine> &arguments)
{
    if (readRegularFile(userPath(gameFolder_, "Dedicated.cfg"))) {
        std::string out;
        exec("Dedicated.cfg", out);
        console_.print(out);
    }

    for (const ConsoleLine &line : arguments) {
        if (quitRequested_)
            break;
        if (toLower(line.verb) != "set") {
            std::string out;
            run(line, out);
            console_.print(out);
        }
    }
}

std::string Server::execute(std::string_view text, Origin origin)
{
    origin_ = origin;
    std::string out;
    for (std::string_view lineText : splitLines(text)) {
        const ConsoleLine line = parseLine(lineText);
        if (!line.verb.empty())
            run(line, out);
        if (quitRequested_)
            break;
    }
    origin_ = Origin::Local;
    return out;
}

void Server::run(const ConsoleLine &line, std::string &out)
{
    const std::string verb = toLower(line.verb);
    if (verb == "set") {
        auto [name, value] = splitFirstWord(line.rest);
        if (name.empty())
            out += "usage: set <variable> <value>\n";
        else
            set(name, unquote(value), out);
    } else if (verb == "map") {
        const std::string name = unquote(line.rest);
        if (name.empty())
            out += "usage: map <mapname>\n";
        else
            changeMap(name, out);
    } else if (verb == "kick") {
        const std::string who = unquote(line.rest);
        if (who.empty())
            out += "usage: kick <name|number>\n";
        else
            kick(who, out);
    } else if (verb == "filter_add" || verb == "filter_remove") {
        if (line.rest.empty())
            out += "usage: " + verb + " <address>\n";
        else
            filter(verb, unquote(line.rest), out);
    } else if (verb == "filter_list") {
        out += "Filter list:\n";
        for (const std::string &address : bans_.entries())
            out += address + "\n";
    } else if (verb == "exec") {
        const std::string name = unquote(line.rest);
        if (name.empty())
            out += "usage: exec <filename>\n";
        else
            exec(name, out);
    } else if (verb == "status") {
        out += status();
    } else if (verb == "serverinfo") {
        out += serverInfo();
    } else if (verb == "list_dmflags") {
        out += dmFlagList();
    } else if (verb == "maplist") {
        out += mapCycleList();
    } else if (verb == "say") {
        announce("console: " + line.rest + "\n", out);
    } else if (verb == "quit") {
        quitRequested_ = true;
        announce("Server quit.\n", out);
    } else if (variables_.contains(verb)) {
        if (line.rest.empty())
            out += "\"" + verb + "\" is \"" + variables_.value(verb) + "\"\n";
        else
            set(verb, unquote(line.rest), out);
    } else {
        out += "Unknown command \"" + line.verb + "\"\n";
    }
}

void Server::set(const std::string &name, std::string value, std::string &out)
{
    const std::string key = toLower(name);
    if (startupDone_ && isFixedAfterStart(key)) {
        if (value != variables_.value(key))
            out += key + " can only be set at start-up; it stays " + variables_.value(key) + "\n";
        return;
    }
    variables_.set(key, std::move(value));
    applySideEffects(key, out);
}

void Server::applySideEffects(const std::string &name, std::string &out)
{
    if (name == "logfile") {
        const bool on = variables_.number(name) != 0;
        if (!console_.setLogFile(on ? userPath(gameFolder_, "TARN.LOG") : std::string()))
            out += "couldn't open TARN.LOG\n";
    } else if (name == "sv_maplistfile") {
        loadMapCycle(out);
    } else if (name == "bots") {
        roster_.resizeBots(variables_.number(name));
    } else if (name == "clients") {
        fillClients(out);
    }
}

void Server::loadMapCycle(std::string &out)
{
    mapCycle_.clear();
    const std::string name = variables_.value("sv_maplistfile");
    if (name.empty())
        return;
    const auto content = isFolderLocalName(name)
        ? readRegularFile(userPath(gameFolder_, "MAPLISTS\\" + name + ".lst"))
        : std::nullopt;
    if (!content) {
        out += "couldn't read map list " + name + "\n";
        return;
    }
    mapCycle_ = mapListEntries(*content);
}

void Server::exec(const std::string &name, std::string &out)
{
    if (execDepth_ >= maxExecDepth) {
        out += "exec nested too deeply\n";
        out += "couldn't exec " + name + "\n";
        return;
    }
    const auto content
        = isFolderLocalName(name) ? readRegularFile(userPath(gameFolder_, name)) : std::nullopt;
    if (!content) {
        out += "couldn't exec " + name + "\n";
        return;
    }
    out += "execing " + name + "\n";
    ++execDepth_;
    for (std::string_view text : splitLines(*content)) {
        const ConsoleLine line = parseLine(text);
        if (!line.verb.empty())
            run(line, out);
        if (quitRequested_)
            break;
    }
    --execDepth_;
}

void Server::changeMap(const std::string &name, std::string &out)
{
    if (!mapExists(gameFolder_, name)) {
        out += "Can't find map " + name + "\n";
        return;
    }
    variables_.set("mapname", name);
    roster_.resetScores();
    announce("Changing map to " + name + "\n", out);
}

void Server::kick(const std::string &who, std::string &out)
{
    if (const auto player = roster_.kick(who))
        announce(player->name + " was kicked\n", out);
    else if (who.find_first_not_of("0123456789") == std::string::npos)
        out += "Bad client slot: " + who + "\n";
    else
        out += "Player " + who + " is not on the server\n";
}

void Server::filter(const std::string &verb, const std::string &address, std::string &out)
{
    const auto normal = normalIpv4(address);
    if (!normal) {
        out += "Bad filter address: " + address + "\n";
    } else if (verb == "filter_remove") {
        out += bans_.remove(*normal) ? "Removed.\n" : "Didn't find " + *normal + ".\n";
    } else {
        switch (bans_.add(*normal)) {
        case BanList::Added::Yes:
            out += "Added " + *normal + " to the filter list.\n";
            break;
        case BanList::Added::AlreadyThere:
            out += *normal + " is already on the filter list.\n";
            break;
        case BanList::Added::Full:
            out += "Filter list is full\n";
            break;
        }
    }
}

// Remote players up to the number "clients" asks for join, except those
// whose address is banned: they are refused, each time they try.
void Server::fillClients(std::string &out)
{
    roster_.resizeClients(variables_.number("clients"), [&](const Player &player) {
        if (!bans_.isBanned(player.address))
            return true;
        out += "Connection from " + player.address + " refused: banned\n";
        return false;
    });
}

void Server::announce(const std::string &text, std::string &out)
{
    out += text;
    if (origin_ == Origin::Remote)
        console_.print(text);
}

void Server::tick()
{
    roster_.tick();
    // Remote players who left come back now and then, as people do.
    if (roster_.clientCount() >= variables_.number("clients")) {
        rejoinWait_ = rejoinSeconds;
    } else if (--rejoinWait_ <= 0) {
        rejoinWait_ = rejoinSeconds;
        std::string out;
        fillClients(out);
        console_.print(out);
    }

    const long long fragLimit = variables_.number("fraglimit");
    if (fragLimit <= 0 || roster_.highestScore() < fragLimit)
        return;

    std::string next = variables_.value("mapname");
    if (!mapCycle_.empty()) {
        std::size_t index = 0;
        while (index < mapCycle_.size() && toLower(mapCycle_[index]) != toLower(next))
            ++index;
        next = mapCycle_[index < mapCycle_.size() ? (index + 1) % mapCycle_.size() : 0];
    }
    std::string out = "Fraglimit hit.\n";
    // The round ends even when the next map cannot be loaded.
    roster_.resetScores();
    changeMap(next, out);
    console_.print(out);
}

std::string Server::status() const
{
    std::string text = "map: " + variables_.value("mapname") + "\n";
    text += "num score ping name            address\n";
    text += "--- ----- ---- --------------- ---------------\n";
    for (const Player &player : roster_.players()) {
        char row[96];
        std::snprintf(row, sizeof row, "%3d %5d %4d %-15.15s %s\n", player.slot, player.score,
            player.ping, player.name.c_str(), player.address.c_str());
        text += row;
    }
    return text;
}

std::string Server::serverInfo() const
{
    std::string text = "Server info settings:\n";
    for (const auto &[name, value] : variables_.serverInfo())
        text += name + " " + value + "\n";
    text += "cmdline " + commandLine_ + "\n";
    text += "cwd " + platform::utf8ToCp1252(gameFolder_) + "\n";
    return text;
}

std::string Server::dmFlagList() const
{
    const long long flags = variables_.number("dmflags");
    std::string text;
    for (std::size_t bit = 0; bit < dmFlagNames.size(); ++bit)
        text += std::string(dmFlagNames[bit]) + ": " + ((flags >> bit) & 1 ? "on" : "off") + "\n";
    return text;
}

std::string Server::mapCycleList() const
{
    if (mapCycle_.empty())
        return "No map cycle.\n";
    std::string text;
    for (const std::string &map : mapCycle_)
        text += map + "\n";
    return text;
}

} // namespace tarnded
