#include "players.h"

#include "configline.h"

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

// People pick names with blanks and colours; the player table must cope.
constexpr std::array<const char *, 8> clientNames = {
    "^1Red Baron",
    "Lucky Strike",
    "^4Blue^7Fox",
    "Old Timer",
    "^3Sunny D",
    "Night Owl",
    "Quick Silver",
    "^2Moss",
};

std::string numberedName(const char *name, int identity, std::size_t names)
{
    std::string text = name;
    if (std::size_t(identity) >= names)
        text += std::to_string(identity / int(names) + 1);
    return text;
}

bool isNumber(std::string_view text)
{
    return !text.empty()
        && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::string withoutColours(std::string_view name)
{
    std::string text;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '^' && i + 1 < name.size() && name[i + 1] >= '0' && name[i + 1] <= '9')
            ++i;
        else
            text += name[i];
    }
    return text;
}

Roster::Roster() : random_(std::random_device {}()) { }

Player Roster::newPlayer(bool bot, int identity)
{
    Player player;
    player.bot = bot;
    player.identity = identity;
    if (bot) {
        player.name = numberedName(
            botNames[std::size_t(identity) % botNames.size()], identity, botNames.size());
        player.address = "bot";
    } else {
        player.name = numberedName(
            clientNames[std::size_t(identity) % clientNames.size()], identity, clientNames.size());
        // Documentation addresses (RFC 5737): the demo never names a real host.
        player.address = "192.0.2." + std::to_string(identity + 10) + ":27960";
    }
    std::uniform_int_distribution<int> ping(30, 120);
    player.ping = ping(random_);
    return player;
}

void Roster::resizeBots(long long count)
{
    resize(true, count, [](const Player &) { return true; });
}

void Roster::resizeClients(long long count, const std::function<bool(const Player &)> &admit)
{
    resize(false, count, admit);
}

void Roster::resize(bool bot, long long count, const std::function<bool(const Player &)> &admit)
{
    const int wanted = int(std::clamp<long long>(count, 0, maxPlayers));
    std::erase_if(players_, [&](const Player &p) { return p.bot == bot && p.identity >= wanted; });
    for (int identity = 0; identity < wanted && players_.size() < maxPlayers; ++identity) {
        const bool present = std::any_of(players_.begin(), players_.end(),
            [&](const Player &p) { return p.bot == bot && p.identity == identity; });
        if (present)
            continue;
        Player player = newPlayer(bot, identity);
        if (!admit(player))
            continue;
        // The lowest free slot, as a server hands them out.
        auto place = players_.begin();
        while (place != players_.end() && place->slot == player.slot) {
            ++player.slot;
            ++place;
        }
        players_.insert(place, std::move(player));
    }
}

std::optional<Player> Roster::kick(std::string_view who)
{
    const bool bySlot = isNumber(who);
    const std::string wanted = toLower(withoutColours(who));
    const auto found = std::find_if(players_.begin(), players_.end(), [&](const Player &p) {
        return bySlot ? std::to_string(p.slot) == who : toLower(withoutColours(p.name)) == wanted;
    });
    if (found == players_.end())
        return std::nullopt;
    Player player = std::move(*found);
    players_.erase(found);
    return player;
}

void Roster::tick()
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

void Roster::resetScores()
{
    for (Player &player : players_)
        player.score = 0;
}

int Roster::highestScore() const
{
    int best = 0;
    for (const Player &player : players_)
        best = std::max(best, player.score);
    return best;
}

int Roster::clientCount() const
{
    return int(
        std::count_if(players_.begin(), players_.end(), [](const Player &p) { return !p.bot; }));
}

} // namespace tarnded
