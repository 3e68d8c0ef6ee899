#pragma once

#include <QByteArray>
#include <QStringList>

// Writing what a launch writes into the game folder. Folders are
// Windows-style paths as the operator typed them.

// Writes USER\Dedicated.cfg below the folder's short form, the previous one
// kept as USER\Dedicated.bak (no backup when there was none). Each file is
// replaced only once complete, and when the backup cannot be written the
// configuration is left as it is, so the previous one is never lost.
// Returns what failed, in words naming the file as typed, or "".
QString writeConfiguration(
    const QString &gameFolder, const QString &shortFolder, const QByteArray &text);

// Writes USER\MAPLISTS\TarnStarter.lst (deleted first) and TarnStarter.map
// for the map cycle. False when either could not be written.
bool writeMapFiles(const QString &gameFolder, const QStringList &cycle);
