#include "statefiles.h"

#include <QFile>
#include <QSaveFile>

namespace tarnctl {

StateFiles stateFiles()
{
    return {stateFilePath(QStringLiteral("tarnctl.log")),
        stateFilePath(QStringLiteral("tarnctl.pid")), stateFilePath(QStringLiteral("server.pid"))};
}

std::optional<qint64> readPidFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool ok = false;
    const qint64 pid = file.read(32).trimmed().toLongLong(&ok);
    if (!ok || pid <= 0)
        return std::nullopt;
    return pid;
}

QString writePidFile(const QString &path, qint64 pid)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(QByteArray::number(pid) + '\n') > 0
        && file.commit())
        return {};
    return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
}

} // namespace tarnctl
