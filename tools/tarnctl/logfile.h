#pragma once

// The detached watcher's output: a file that never grows past its bound.
// When the next line would take it past, the file is kept as "<name>.1"
// (replacing the one kept before) and a new one begins.

#include <QFile>

namespace tarnctl {

class LogFile
{
public:
    static constexpr qint64 defaultLimit = 5 * 1024 * 1024;

    explicit LogFile(const QString &path, qint64 limit = defaultLimit);

    // Opens the file to append to it; why that failed, or "".
    QString open();

    // A whole line. A line that cannot be written is lost; the watch goes on.
    void write(const QByteArray &line);

private:
    QString path;
    qint64 limit;
    QFile file;
};

} // namespace tarnctl
