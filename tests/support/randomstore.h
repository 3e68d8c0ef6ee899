#pragma once

// Stores of every kind of content, for checks that two readers of a store
// agree: random game types, ticks, texts with quotes and Windows-1252
// letters (and some outside it), numbered lists with removed entries, map
// cycles, and a game folder with and without the map pack.

#include "store/settingsstore.h"
#include "store/settingstable.h"
#include "support/gui.h"

#include <QRandomGenerator>

inline void fillRandomStore(QRandomGenerator &random, const GameFolder &game, int run)
{
    const auto pick = [&](const QStringList &choices) {
        return choices.at(random.bounded(int(choices.size())));
    };
    const QStringList texts {"", "x", "X", "7", " 12 ", "a \"quoted\" word",
        QStringLiteral(u"caf\u00e9 \u20ac5"), QStringLiteral(u"stra\u00dfe \u4e2d"),
        QString(254, 'w')};
    const QStringList ticks {"", "0", " 1", "1", "2", " 2", "7", "yes"};
    const QStringList maps {"DM/QEVCON1", "dm/arena1", "x", "DM/MARLOW", "ab", "DM/NOSUCH"};
    writeFile(game.path("USER/MAPS/DM/arena1.bsp"), {});
    if (run % 3 == 0)
        writeFile(game.path("base/mappack.pak"), {});
    rEGpUT(hkeyLocalMachine, gameRegistrationKey, "Path", run % 5 ? game.path() : QString());
    for (const StoredSetting &setting : storedSettings())
        rEGpUT(hkeyLocalMachine, launcherKey, setting.valueName,
            pick(setting.storedAs >= StoredAs::Check ? ticks : texts));
    rEGpUT(hkeyLocalMachine, launcherKey, "Game_Type", QString::number(random.bounded(-1, 9)));
    rEGpUT(hkeyLocalMachine, launcherKey, "Default_Map", pick(maps));
    for (int number = 1; number <= 16; ++number)
        rEGpUT(hkeyLocalMachine, dmFlagsKey, numberedEntryName(number), pick(ticks));
    for (const QString &list : {customCommandsKey, mapCycleKey, customMapsKey}) {
        for (int number = 1, count = random.bounded(6); number <= count; ++number)
            rEGpUT(hkeyLocalMachine, list, numberedEntryName(number),
                pick(list == customCommandsKey ? texts : maps));
    }
}
