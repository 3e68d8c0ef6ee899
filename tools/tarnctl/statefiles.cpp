#include "statefiles.h"

#include "platform/registry_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tarnctl {

StateFiles stateFiles()
{
    const QString store = QString::fromStdString(platform::registryLocation());
    QString folder;
    QString prefix;
    if (store.isEmpty()) {
        folder = qEnvironmentVariable("LOCALAPPDATA") + QStringLiteral("/TarnStarter");
    } else {
        const QFileInfo file(store);
        folder = file.absolutePath();
        if (file.fileName() != u"registry.db")
            prefix = file.completeBaseName() + u'.';
    }
    QDir().mkpath(folder);
    const QString base = folder + u'/' + prefix;
    return {base + QStringLiteral("tarnctl.log"), base + QStringLiteral("tarnctl.pid"),
        base + QStringLiteral("server.pid")};
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

QString lastLines(const QString &path, qint64 from, int count)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // The end of the file is enough; a log may be large.
    const qint64 tail = 64 * 1024;
    file.seek(
        file.size() < from ? qMax<qint64>(0, file.size() - tail) : qMax(from, file.size() - tail));
    QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.mid(qMax(0, lines.size() - count)).join(u'\n');
}

} // namespace tarnctl
