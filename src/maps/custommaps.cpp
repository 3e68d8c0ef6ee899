#include "maps/custommaps.h"

#include "store/settingsstore.h"
#include "store/textcodec.h"

namespace {
constexpr int highestEntry = 32767;
}

bool addCustomMap(const QString &name)
{
    // Nothing is ever removed from this list, so it is read whole and the
    // first free entry follows its last.
    const int free = int(readNumberedList(customMapsKey, RemovedEntries::Keep).size()) + 1;
    if (free > highestEntry)
        return false;
    rEGpUT(hkeyLocalMachine, customMapsKey, numberedEntryName(free), upperCp1252(name));
    return true;
}
