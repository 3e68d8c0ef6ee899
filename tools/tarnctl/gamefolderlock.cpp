#include "gamefolderlock.h"

namespace tarnctl {

QString gameFolderBusy(const QString &folder, const LockHolder &holder)
{
    QString who = QStringLiteral("another instance");
    if (!holder.instance.isEmpty())
        who = QStringLiteral("the instance %1").arg(holder.instance);
    if (holder.processId > 0)
        who += QStringLiteral(" (tarnctl process %1)").arg(holder.processId);
    return QStringLiteral("the game folder %1 is in use by %2; each instance needs a game "
                          "folder of its own")
        .arg(folder, who);
}

} // namespace tarnctl
