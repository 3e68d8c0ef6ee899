#pragma once

#include "store/settingsstore.h"

#include <QList>
#include <QString>
#include <optional>

// The custom configuration lines, kept in the store as a numbered list in
// lower case. A removed line is overwritten with "x" and nothing is ever
// renumbered, so every line keeps the entry number it was stored under.

// The stored lines with their entry numbers, removed ones left out. Lines
// put in by hand may hold capitals; they are kept as they are.
QList<NumberedEntry> loadCustomCommands();

// The number a new line is stored under: one higher than the highest number
// held, 1 for none. Nothing when that is beyond the 32767 entries a list can
// hold, since such an entry would never be read back.
std::optional<int> nextCustomCommandNumber(const QList<int> &heldNumbers);

void storeCustomCommand(int number, const QString &line);
void removeCustomCommand(int number);
