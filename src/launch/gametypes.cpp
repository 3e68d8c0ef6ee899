#include "launch/gametypes.h"

namespace {

constexpr FlagRule on = FlagRule::On;
constexpr FlagRule off = FlagRule::Off;
constexpr FlagRule set = FlagRule::OffSet;
constexpr FlagRule offKept = FlagRule::OffKept;
constexpr FlagRule kept = FlagRule::Kept;

// One row per game type, one column per DM flag box from "No Health" to
// "Team red/blue", then the CTF loops and control limit fields.
constexpr std::array<GameTypeOptions, gameTypeCount> table {{
    // Deathmatch
    {{on, on, on, on, on, on, on, on, on, on, on, on, on, on, off, offKept}, false, false},
    // Assasin
    {{on, on, on, on, on, on, on, off, off, on, on, on, on, on, offKept, kept}, false, false},
    // Arsenal
    {{on, on, off, on, on, on, set, off, off, on, on, set, off, off, kept, kept}, false, false},
    // CTF
    {{on, on, on, on, on, on, on, set, on, on, on, on, on, on, kept, kept}, true, false},
    // Realistic
    {{off, off, off, off, set, on, off, on, off, on, on, off, on, on, off, kept}, false, false},
    // Control
    {{on, on, on, on, on, on, on, set, on, on, on, on, on, on, on, off}, false, true},
    // Conquer (CTB)
    {{on, on, on, on, on, on, on, on, on, on, on, on, on, on, on, on}, true, false},
}};

} // namespace

const GameTypeOptions *gameTypeOptions(int gameTypeNumber)
{
    if (gameTypeNumber < 1 || gameTypeNumber > gameTypeCount)
        return nullptr;
    return &table[std::size_t(gameTypeNumber - 1)];
}

FlagBoxState applyFlagRule(FlagRule rule, FlagBoxState box)
{
    switch (rule) {
    case FlagRule::On:
        return {true, Qt::Unchecked};
    case FlagRule::Off:
        return {false, Qt::Unchecked};
    case FlagRule::OffSet:
        return {false, Qt::Checked};
    case FlagRule::OffKept:
        return {false, box.check};
    case FlagRule::Kept:
        break;
    }
    return box;
}
