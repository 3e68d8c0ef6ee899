#include "maps/mapcycle.h"

#include "store/textcodec.h"

void MapCycle::load()
{
    m_maps.clear();
    m_lastEntry = 0;
    for (const NumberedEntry &entry : readNumberedList(mapCycleKey, RemovedEntries::Skip)) {
        m_maps.append(upperCp1252(entry.text));
        m_lastEntry = entry.number;
    }
}

bool MapCycle::add(const QString &map)
{
    const int entry = std::max<int>(m_lastEntry + 1, int(m_maps.size()) + 1);
    if (map.size() < 3 || entry > lastNumberedEntry)
        return false;
    m_maps.append(map);
    m_lastEntry = entry;
    rEGpUT(hkeyLocalMachine, mapCycleKey, numberedEntryName(m_lastEntry), map);
    return true;
}

void MapCycle::clear()
{
    for (int number = 1; number <= m_lastEntry; ++number)
        rEGpUT(hkeyLocalMachine, mapCycleKey, numberedEntryName(number), QStringLiteral("x"));
    m_maps.clear();
    m_lastEntry = 0;
}
