#include "maps/customlines.h"

#include <algorithm>

namespace {

// Writes have always named the key with a trailing backslash; the store
// takes it for the same key.
const QString writeKey = customCommandsKey + QLatin1Char('\\');

} // namespace

QList<NumberedEntry> loadCustomCommands()
{
    return readNumberedList(customCommandsKey, RemovedEntries::Skip);
}

std::optional<int> nextCustomCommandNumber(const QList<int> &heldNumbers)
{
    const int highest
        = heldNumbers.isEmpty() ? 0 : *std::max_element(heldNumbers.begin(), heldNumbers.end());
    if (highest >= lastNumberedEntry)
        return std::nullopt;
    return highest + 1;
}

void storeCustomCommand(int number, const QString &line)
{
    rEGpUT(hkeyLocalMachine, writeKey, numberedEntryName(number), line);
}

void removeCustomCommand(int number)
{
    rEGpUT(hkeyLocalMachine, writeKey, numberedEntryName(number), QStringLiteral("x"));
}
