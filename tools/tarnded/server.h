#pragma once

// The stand-in game server's state and console: variables, map, map cycle,
// simulated players and the commands that act on them.

#include "banlist.h"
#include "configline.h"
#include "console.h"
#include "players.h"
#include "variables.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarnded {

class Server
{
public:
    // gameFolder is the host path of the folder the server runs in;
    // commandLine and the folder are reported by "serverinfo".
    Server(Console &console, std::string gameFolder, std::string commandLine);

    // Start-up comes in two steps, so that the socket can be bound between
    // them: first the "+set" arguments, after which the host port, address
    // and dedicated mode are fixed; then USER\Dedicated.cfg when it exists,
    // and the other arguments in order. Output goes to the console.
    void applySettings(const std::vector<ConsoleLine> &arguments);
    void runConfiguration(const std::vector<ConsoleLine> &arguments);

    // Runs each line of text as a console command and returns the answer.
    // Commands from the remote console also show what they announce (chat,
    // map changes, shutdown) on the server's own console.
    enum class Origin { Local, Remote };
    std::string execute(std::string_view text, Origin origin);

    // Text for the server's own console only.
    void log(std::string_view text) { console_.print(text); }

    // One second of simulated play.
    void tick();

    bool quitRequested() const { return quitRequested_; }
    // Whether play goes on: players are there, or remote players will come
    // back.
    bool isLive() const { return !roster_.players().empty() || variables_.number("clients") > 0; }
    const Variables &variables() const { return variables_; }
    const std::vector<std::string> &mapCycle() const { return mapCycle_; }

private:
    void run(const ConsoleLine &line, std::string &out);
    void set(const std::string &name, std::string value, std::string &out);
    void applySideEffects(const std::string &name, std::string &out);
    void exec(const std::string &name, std::string &out);
    void changeMap(const std::string &name, std::string &out);
    void kick(const std::string &who, std::string &out);
    void filter(const std::string &verb, const std::string &address, std::string &out);
    void fillClients(std::string &out);
    void announce(const std::string &text, std::string &out);
    void loadMapCycle(std::string &out);

    std::string status() const;
    std::string serverInfo() const;
    std::string dmFlagList() const;
    std::string mapCycleList() const;

    Console &console_;
    std::string gameFolder_;
    std::string commandLine_;
    Variables variables_;
    Roster roster_;
    BanList bans_;
    // Seconds until remote players who left try to join again.
    static constexpr int rejoinSeconds = 10;
    int rejoinWait_ = rejoinSeconds;
    std::vector<std::string> mapCycle_;
    Origin origin_ = Origin::Local;
    int execDepth_ = 0;
    bool startupDone_ = false;
    bool quitRequested_ = false;
};

} // namespace tarnded
