#include "logfile.h"

#include <QDir>

namespace tarnctl {

LogFile::LogFile(const QString &path, qint64 limit) : path(path), limit(limit), file(path) { }

QString LogFile::open()
{
    // The server's output may show its settings: the owner and the group
    // read it, nobody else.
    if (file.isOpen()
        || file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered,
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup))
        return {};
    return QStringLiteral("cannot write the log file %1: %2")
        .arg(QDir::toNativeSeparators(path), file.errorString());
}

void LogFile::write(const QByteArray &line)
{
    if (file.isOpen() && file.size() > 0 && file.size() + line.size() > limit) {
        file.close();
        const QString kept = path + QStringLiteral(".1");
        QFile::remove(kept);
        QFile::rename(path, kept);
    }
    if (open().isEmpty())
        file.write(line);
}

} // namespace tarnctl
