#pragma once

#include "store/settingsstore.h"

#include <QStringList>

// The map cycle as it is stored: entry k of CustomLST holds the k-th map,
// and cleared entries hold "x". The cycle is written through entry by entry
// so it survives a restart.
class MapCycle
{
public:
    // Reads the stored cycle, skipping cleared entries.
    void load();

    const QStringList &maps() const { return m_maps; }

    // Appends a map and stores it. Names shorter than three characters (no
    // selection at all among them) are refused, and so is a map past the
    // last entry a list can hold.
    bool add(const QString &map);

    // Marks every stored entry of the cycle as cleared.
    void clear();

private:
    QStringList m_maps;
    // The entry number of the last map; it can be past the map count when
    // the stored list holds cleared entries between live ones, and a new
    // map must then go after it rather than over a live entry.
    int m_lastEntry = 0;
};
