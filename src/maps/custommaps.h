#pragma once

#include <QString>

// The operator's own map names, kept in the store as a numbered list that
// only ever grows.

// Stores the name in upper case as the first entry that reads empty. An
// empty name writes an empty entry, which leaves the list as it was.
// Returns false, storing nothing, when all 32767 entries are taken: an
// entry beyond them would never be read back.
bool addCustomMap(const QString &name);
