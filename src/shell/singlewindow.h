#pragma once

#include <QPointer>
#include <QWidget>
#include <utility>

// Every window but the main one exists at most once: created on first use,
// brought forward when asked for again, destroyed when closed.
template<typename W, typename... Args> W *showSingleWindow(QPointer<W> &slot, Args &&...args)
{
    if (!slot) {
        slot = new W(std::forward<Args>(args)...);
        slot->setAttribute(Qt::WA_DeleteOnClose);
    }
    slot->show();
    slot->raise();
    slot->activateWindow();
    return slot;
}

template<typename W> void closeIfOpen(const QPointer<W> &slot)
{
    if (slot)
        slot->close();
}
