#include "launch/serverlog.h"

#include "platform/registry_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString keptLog(const QString &path)
{
    return path + QStringLiteral(".1");
}

} // namespace

QString stateFilePath(const QString &name)
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
    return folder + u'/' + prefix + name;
}

QString serverLogFile()
{
    return stateFilePath(QStringLiteral("server.log"));
}

void startServerLog(const QString &path)
{
    if (QFileInfo(path).size() == 0)
        return;
    QFile::remove(keptLog(path));
    if (!QFile::rename(path, keptLog(path)))
        QFile::resize(path, 0);
}

void boundServerLog(const QString &path, qint64 limit)
{
    if (QFileInfo(path).size() <= limit)
        return;
    QFile::remove(keptLog(path));
    QFile::copy(path, keptLog(path));
    QFile::resize(path, 0);
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
    // A Windows server ends its lines with CR LF; the message breaks them at LF.
    QStringList lines = QString::fromUtf8(file.readAll()).remove(u'\r').split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.mid(qMax(0, lines.size() - count)).join(u'\n');
}

QString processEndWords(const platform::ProcessEnd &end)
{
    if (end.signal != 0)
        return QStringLiteral("signal %1").arg(end.signal);
    return QStringLiteral("exit status %1").arg(end.code);
}
