#include "bots.h"

#include <algorithm>
#include <array>

namespace tarnded {

namespace {

constexpr std::array<const char *, 16> botNames = {
    "Grunt",
    "Viper",
    "Slash",
    "Brick",
    "Mirage",
    "Tank",
    "Raven",
    "Ghost",
    "Flint",
    "Hex",
    "Dagger",
    "Blight",
    "Nova",
    "Rook",
    "Scorpio",
    "Wraith",
};

} // namespace

BotRoster::BotRoster() : random_(std::random_device {}()) { }

void BotRoster::resize(long long count)
{
    const auto wanted = static_cast<std::size_t>(std::clamp<long long>(count, 0, maxBots));
    while (players_.size() > wanted)
        players_.pop_back();
    while (players_.size() < wanted) {
        const std::size_t index = players_.size();
        std::string name = botNames[index % botNames.size()];
        if (index >= botNames.size())
            name += std::to_string(index / botNames.size() + 1);
        std::uniform_int_distribution<int> ping(30, 120);
        players_.push_back({std::move(name), 0, ping(random_)});
    }
}

void BotRoster::tick()
{
    std::uniform_int_distribution<int> drift(-8, 8);
    std::uniform_int_distribution<int> event(0, 99);
    for (Player &player : players_) {
        player.ping = std::clamp(player.ping + drift(random_), 15, 250);
        const int roll = event(random_);
        if (roll < 20)
            ++player.score;
        else if (roll < 22)
            --player.score;
    }
}

void BotRoster::resetScores()
{
    for (Player &player : players_)
        player.score = 0;
}

int BotRoster::highestScore() const
{
    int best = 0;
    for (const Player &player : players_)
        best = std::max(best, player.score);
    return best;
}

} // namespace tarnded
