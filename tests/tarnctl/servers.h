#pragma once

// A watched server as the tests run it: a store and a game folder, tarnctl
// watching, and what /proc shows of the processes.

#include "store/settingsstore.h"
#include "support/rconclient.h"
#include "tarnctl.h"

#include <QDirIterator>
#include <QTest>
#include <QUdpSocket>

// The processes whose parent is `parent`, from /proc.
inline QList<qint64> childrenOf(qint64 parent)
{
    QList<qint64> children;
    QDirIterator entries("/proc", QDir::Dirs | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        entries.next();
        const QByteArray stat = readFile(entries.filePath() + "/stat");
        // The name in parentheses may hold blanks; the parent follows the state.
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(1).toLongLong() == parent)
            children.append(entries.fileName().toLongLong());
    }
    return children;
}

// A process that ended but was not reaped yet counts as gone.
inline bool processRuns(qint64 pid)
{
    const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    return !stat.isEmpty() && stat.at(stat.lastIndexOf(')') + 2) != 'Z';
}

// Whether the server on the port answers, within a while: then it has its
// socket and signal handlers in place.
inline bool answers(quint16 port)
{
    return QTest::qWaitFor(
        [&] { return askServer(port, "secret1 status", 300).startsWith("map: "); }, 20000);
}

// A store and a game folder whose server is tarnded (or a script written
// there as tarn.exe), on a free port.
struct Server
{
    explicit Server(GameFolder::Server kind = GameFolder::Server::Tarnded) : game(kind)
    {
        rEGpUT(hkeyLocalMachine, gameRegistrationKey, "Path", game.path());
        rEGpUT(hkeyLocalMachine, launcherKey, "Server_Port", QString::number(port));
        rEGpUT(hkeyLocalMachine, launcherKey, "rcon_pw", "secret1");
    }
    // A server started detached must not outlive the test.
    ~Server() { askServer(port, "secret1 quit", 300); }

    TestStore store;
    GameFolder game;
    quint16 port = freeUdpPort();
};

// tarnctl start --foreground, running while the test watches it.
struct Watcher
{
    explicit Watcher(const QStringList &options, double timeScale = 1,
        const QList<std::pair<QString, QString>> &variables = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TARNCTL_TIME_SCALE", QString::number(timeScale));
        for (const auto &[name, value] : variables)
            environment.insert(name, value);
        process.setProcessEnvironment(environment);
        process.start(toolPath("tarnctl"), QStringList {"start", "--foreground"} + options);
    }
    ~Watcher()
    {
        process.kill();
        process.waitForFinished();
    }
    // The server tarnctl runs now, once one runs other than `previous`.
    // tarnctl's other child is the guard that outlives it.
    qint64 server(qint64 previous = 0)
    {
        qint64 found = 0;
        const bool running = QTest::qWaitFor(
            [&] {
                found = 0;
                for (qint64 child : childrenOf(process.processId())) {
                    if (readFile(QStringLiteral("/proc/%1/comm").arg(child)) != "tarnctl-guard\n")
                        found = child;
                }
                return found && found != previous;
            },
            20000);
        return running ? found : 0;
    }

    QProcess process;
};
