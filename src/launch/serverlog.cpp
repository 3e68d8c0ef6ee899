#include "launch/serverlog.h"

#include "platform/registry_store.h"
#include "store/textcodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>

namespace {

QString keptLog(const QString &path)
{
    return path + QStringLiteral(".1");
}

} // namespace

QString serverLogFile()
{
    const QString store = QString::fromStdString(platform::registryLocation());
    const QString folder = store.isEmpty()
        ? QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)
        : QFileInfo(store).absolutePath();
    QDir().mkpath(folder);
    return QDir(folder).filePath(QStringLiteral("server.log"));
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

QStringList lastLogLines(const QString &path, int count)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // A few lines of a server's output fit in far less than this.
    constexpr qint64 tail = 16 * 1024;
    if (file.size() > tail)
        file.seek(file.size() - tail);
    const QByteArray bytes = file.readAll();
    // The server writes UTF-8 or its code page's bytes; the one that does
    // not fit is the other.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = fromWindows1252(bytes);
    QStringList lines;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            lines.append(line.trimmed());
    }
    return lines.mid(qMax(0, lines.size() - count));
}

QString processEndWords(const platform::ProcessEnd &end)
{
    if (end.signal != 0)
        return QStringLiteral("signal %1").arg(end.signal);
    return QStringLiteral("exit status %1").arg(end.code);
}
