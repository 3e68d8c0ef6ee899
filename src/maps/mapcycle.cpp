#include "maps/mapcycle.h"

#include "store/textcodec.h"

const QString MapCycle::key = launcherKey + QStringLiteral("\\CustomLST");

void MapCycle::load()
{
    m_maps.clear();
    m_lastEntry = 0;
    for (const NumberedEntry &entry : readNumberedList(key, RemovedEntries::Skip)) {
        m_maps.append(upperCp1252(entry.text));
        m_lastEntry = entry.number;
    }
}

bool MapCycle::add(const QString &map)
{
    if (map.size() < 3)
        return false;
    m_maps.append(map);
    m_lastEntry = std::max<int>(m_lastEntry + 1, int(m_maps.size()));
    rEGpUT(hkeyLocalMachine, key, numberedEntryName(m_lastEntry), map);
    return true;
}

void MapCycle::clear()
{
    for (int number = 1; number <= m_lastEntry; ++number)
        rEGpUT(hkeyLocalMachine, key, numberedEntryName(number), QStringLiteral("x"));
    m_maps.clear();
    m_lastEntry = 0;
}
