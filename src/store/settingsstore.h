#pragma once

#include "platform/gameregistration.h"
#include "platform/registry.h"

#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>

// The launcher's settings live in the registry (or its SQLite stand-in) as
// string values. Reads never fail visibly: anything missing reads as "".

// The root key as the store's callers pass it: the 32-bit handle value.
constexpr quint32 hkeyLocalMachine = quint32(platform::hkeyLocalMachine);

inline const QString launcherKey = QStringLiteral("SOFTWARE\\Quillon\\TarnLauncher");

// Where the game registers its folder.
inline const QString gameRegistrationKey = QString::fromLatin1(platform::gameRegistrationPath);

// The numbered lists and the DM flags, each a key of its own below the
// launcher's.
inline const QString mapCycleKey = launcherKey + QStringLiteral("\\CustomLST");
inline const QString customMapsKey = launcherKey + QStringLiteral("\\CustomMAPS");
inline const QString customCommandsKey = launcherKey + QStringLiteral("\\CustomCMDS");
inline const QString dmFlagsKey = launcherKey + QStringLiteral("\\DMFlags");

// The launcher's own key is kept in the 32-bit programs' view of the
// Windows registry, where the original 32-bit launcher kept it. Where HKLM
// cannot be written, settings are kept per user (see settingReadPlaces).
QString RegGet(quint32 hive, const QString &keyPath, const QString &valueName);
// False when no place took the value; the reason goes to the failure
// handler, if one is set.
bool rEGpUT(
    quint32 hive, const QString &keyPath, const QString &valueName, const QString &valueText);

// Receives, in words, why a setting could not be stored, for each write that
// fails. An empty function sets none.
using StoreWriteFailureHandler = std::function<void(const QString &reason)>;
void setStoreWriteFailureHandler(StoreWriteFailureHandler handler);

// Numbered lists keep entry k under the value name " k" (one leading blank).
// Entry numbers are 16-bit: an entry past the last one is never read back.
constexpr int lastNumberedEntry = 32767;
QString numberedEntryName(int number);

struct NumberedEntry
{
    int number;
    QString text;
};

enum class RemovedEntries { Skip, Keep };

// Reads entry 1 upward until the first entry that reads as "". Entries
// marked "x" are removed ones; lists that can hold them skip them. Entry
// numbers are 16-bit, so at most 32767 entries are read.
QList<NumberedEntry> readNumberedList(const QString &keyPath, RemovedEntries removed);
