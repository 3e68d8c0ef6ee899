#pragma once

#include "platform/registry.h"
#include "store/settingsstore.h"

#include <QStringList>

// Stores entries 1, 2, ... of a numbered list in one write, so that even a
// list filled to its last entry is quickly made.
inline bool putEntries(const QString &key, const QStringList &texts)
{
    std::vector<platform::RegWrite> writes(texts.size());
    for (int i = 0; i < texts.size(); ++i) {
        const QByteArray text = texts[i].toUtf8();
        writes[i] = {platform::hkeyLocalMachine, key.toStdString(), true,
            numberedEntryName(i + 1).toStdString(), platform::regSz,
            {text.constData(), text.constData() + text.size() + 1}};
    }
    return platform::regWriteBatch(writes) == platform::errorSuccess;
}
