#pragma once

// Simulated players, so that a demo server shows a live player table: bots,
// and remote players with addresses that can be kicked and banned. Each
// player holds a slot number, the number "status" shows and "kick" takes,
// which it keeps while it stays.

#include <functional>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace tarnded {

struct Player
{
    int slot = 0;
    bool bot = false;
    // Which of the server's regular bots or remote players this is; it fixes
    // the name and, for remote players, the address.
    int identity = 0;
    std::string name;
    std::string address;
    int score = 0;
    int ping = 0;
};

class Roster
{
public:
    // More players than a server has slots would only fill memory.
    static constexpr int maxPlayers = 64;

    Roster();

    // Adds or removes players of one kind to reach count (clamped to
    // 0..maxPlayers, and to the free slots). A remote player joins only when
    // admit(address) allows it.
    void resizeBots(long long count);
    void resizeClients(long long count, const std::function<bool(const Player &)> &admit);

    // Removes the player with that slot number (a text of digits) or that
    // name (compared without colour codes and case); the player removed.
    std::optional<Player> kick(std::string_view who);

    // One second of play: pings drift and now and then someone scores.
    void tick();

    void resetScores();
    int highestScore() const;
    int clientCount() const;
    const std::vector<Player> &players() const { return players_; }

private:
    void resize(bool bot, long long count, const std::function<bool(const Player &)> &admit);
    Player newPlayer(bool bot, int identity);

    std::vector<Player> players_;
    std::minstd_rand random_;
};

// A name as players see it: the colour codes, '^' and a digit, left out.
std::string withoutColours(std::string_view name);

} // namespace tarnded
