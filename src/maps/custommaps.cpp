#include "maps/custommaps.h"

#include "store/settingsstore.h"
#include "store/textcodec.h"

bool addCustomMap(const QString &name)
{
    // Nothing is ever removed from this list, so it is read whole and the
    // first free entry follows its last.
    const int free = int(readNumberedList(customMapsKey, RemovedEntries::Keep).size()) + 1;
    if (free > lastNumberedEntry)
        return false;
    rEGpUT(hkeyLocalMachine, customMapsKey, numberedEntryName(free), upperCp1252(name));
    return true;
}
