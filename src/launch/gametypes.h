#pragma once

#include <QtCore/qnamespace.h>
#include <array>

// What a game type does to each DM flag box.
enum class FlagRule {
    On, // enabled, cleared
    Off, // disabled, cleared
    OffSet, // disabled, checked
    OffKept, // disabled, check left as it was
    Kept, // left alone
};

struct GameTypeOptions
{
    std::array<FlagRule, 16> flags;
    bool ctfLoopsEnabled;
    bool controlLimitEnabled;
};

constexpr int gameTypeCount = 7;

// The options of game type number 1 to 7 (the game type index plus one);
// nullptr for any other number.
const GameTypeOptions *gameTypeOptions(int gameTypeNumber);

struct FlagBoxState
{
    bool enabled;
    Qt::CheckState check;
};

FlagBoxState applyFlagRule(FlagRule rule, FlagBoxState box);
