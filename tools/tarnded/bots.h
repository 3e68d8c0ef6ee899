#pragma once

// Simulated players, so that a demo server shows a live player table.

#include <random>
#include <string>
#include <vector>

namespace tarnded {

struct Player
{
    std::string name;
    int score = 0;
    int ping = 0;
};

class BotRoster
{
public:
    // More bots than a server has player slots would only fill memory.
    static constexpr int maxBots = 64;

    BotRoster();

    // Adds or removes bots to reach count (clamped to 0..maxBots).
    void resize(long long count);

    // One second of play: pings drift and now and then someone scores.
    void tick();

    void resetScores();
    int highestScore() const;
    const std::vector<Player> &players() const { return players_; }

private:
    std::vector<Player> players_;
    std::minstd_rand random_;
};

} // namespace tarnded
