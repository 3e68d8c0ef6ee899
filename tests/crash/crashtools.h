#pragma once

// What the crash tests share: a helper process killed outright at a chosen
// moment, a fresh process's view of the store, and a game folder to launch in.

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QString>
#include <chrono>
#include <csignal>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/types.h>
#include <unistd.h>

namespace crash {

inline const QString launcherKeyName = QStringLiteral("HKLM\\SOFTWARE\\Quillon\\TarnLauncher");

inline QString tarnreg()
{
    return qEnvironmentVariable("TARN_TOOLS_DIR") + QStringLiteral("/tarnreg/tarnreg");
}

// A process in a group of its own, so that a kill also takes whatever it
// started (a shell loop's current tarnreg, for one).
class Victim
{
public:
    Victim(const QString &program, const QStringList &arguments)
    {
        process.setChildProcessModifier([] { ::setsid(); });
        process.start(program, arguments);
        if (process.waitForStarted())
            group = pid_t(process.processId());
    }

    ~Victim()
    {
        if (process.state() != QProcess::NotRunning)
            killNow();
    }

    // Waits (reading its output, so it never blocks on a full pipe) until
    // it printed `line` or ended.
    bool waitForLine(const QByteArray &line)
    {
        while (!lines().contains(line)) {
            if (!process.waitForReadyRead(60000))
                return lines().contains(line);
        }
        return true;
    }

    // Lets it run for `ms` more, then kills it with SIGKILL. Returns every
    // line it printed in full; a line cut short by the kill is left out.
    // Builds that run slower (under the sanitizers) stretch the wait by
    // TARN_TIME_SCALE, so the same share of work gets done between kills.
    QList<QByteArray> killAfter(int ms)
    {
        const int scale = qMax(1, qEnvironmentVariableIntValue("TARN_TIME_SCALE"));
        const QDeadlineTimer deadline(qint64(ms) * scale);
        while (!deadline.hasExpired() && process.state() == QProcess::Running)
            process.waitForReadyRead(int(deadline.remainingTime()));
        killNow();
        return lines();
    }

    // Waits until the file `name` in `folder` is created, written, renamed
    // into place or deleted, lets the helper run `microseconds` more and
    // kills it: aims the kill at the moment the file is being written.
    QList<QByteArray> killAfterChangeOf(
        const QString &folder, const QByteArray &name, int microseconds)
    {
        const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        inotify_add_watch(watch, folder.toLocal8Bit().constData(),
            IN_CREATE | IN_DELETE | IN_MODIFY | IN_MOVED_TO | IN_CLOSE_WRITE);
        const QDeadlineTimer deadline(60000);
        bool changed = false;
        while (!changed && process.state() == QProcess::Running && !deadline.hasExpired()) {
            pollfd events {watch, POLLIN, 0};
            if (::poll(&events, 1, 10) <= 0) {
                process.waitForReadyRead(0);
                continue;
            }
            alignas(inotify_event) char buffer[4096];
            const ssize_t size = ::read(watch, buffer, sizeof buffer);
            for (ssize_t at = 0; at < size;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                changed = changed || (event->len > 0 && name == event->name);
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        ::close(watch);
        // Too short a wait for a sleep to keep; spin instead.
        const auto start = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() - start < std::chrono::microseconds(microseconds)) {
        }
        killNow();
        return lines();
    }

    QProcess process;

private:
    // The group outlives its leader, so it is killed even when the leader
    // has already ended; the id is kept because the process forgets it then.
    void killNow()
    {
        if (group > 0)
            ::kill(-group, SIGKILL);
        process.waitForFinished(60000);
    }

    QList<QByteArray> lines()
    {
        output += process.readAllStandardOutput();
        QList<QByteArray> complete = output.split('\n');
        complete.removeLast();
        return complete;
    }

    QByteArray output;
    pid_t group = 0;
};

// The launcher's main key as a process started now reads it: name -> text.
// A store that does not open gives no values at all.
inline QMap<QString, QString> storedValues()
{
    QProcess query;
    query.start(tarnreg(), {QStringLiteral("query"), launcherKeyName});
    QMap<QString, QString> values;
    if (!query.waitForFinished(60000) || query.exitStatus() != QProcess::NormalExit
        || query.exitCode() != 0)
        return values;
    const QString marker = QStringLiteral("    REG_SZ    ");
    for (const QString &line : QString::fromUtf8(query.readAllStandardOutput()).split('\n')) {
        const qsizetype at = line.indexOf(marker);
        if (line.startsWith(QStringLiteral("    ")) && at > 4)
            values.insert(line.mid(4, at - 4), line.mid(at + marker.size()));
    }
    return values;
}

// A game folder with a USER folder and a "tarn.exe" that ends at once.
inline bool makeGameFolder(const QString &folder)
{
    if (!QDir().mkpath(folder + QStringLiteral("/USER")))
        return false;
    QFile server(folder + QStringLiteral("/tarn.exe"));
    if (!server.open(QIODevice::WriteOnly) || server.write("#!/bin/sh\nexit 0\n") < 0)
        return false;
    server.close();
    return server.setPermissions(server.permissions() | QFileDevice::ExeOwner);
}

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The last counter a killed helper reported finished; `before` when none.
inline long long lastFinished(const QList<QByteArray> &lines, long long before)
{
    long long last = before;
    for (const QByteArray &line : lines) {
        bool number = false;
        const long long value = line.toLongLong(&number);
        if (number)
            last = value;
    }
    return last;
}

inline QString failure(int kill, long long finished, const QString &found)
{
    return QStringLiteral("kill %1: last finished %2, found %3").arg(kill).arg(finished).arg(found);
}

// Kill moments are random; TARN_CRASH_SEED repeats a run that failed.
inline QRandomGenerator seededRandom()
{
    bool given = false;
    quint32 seed = qEnvironmentVariable("TARN_CRASH_SEED").toUInt(&given);
    if (!given)
        seed = QRandomGenerator::global()->generate();
    qInfo("TARN_CRASH_SEED=%u", seed);
    return QRandomGenerator(seed);
}

} // namespace crash
