#pragma once

// What the launcher knows of the server it starts: whether it came up, and
// how to stop it or another server on the same port.

#include "platform/process.h"

#include <QElapsedTimer>
#include <QObject>
#include <memory>

class QTimer;
class QUdpSocket;

// Whether something on this machine listens on the UDP port: a server of
// whatever kind, started by whomever.
bool udpPortTaken(quint16 port);

// Stops a running server: the remote console's "quit" to `port`, then,
// when `own` (the server this launcher started) has not ended within a few
// seconds, the process itself. Events go on meanwhile. Returns whether the
// server is gone: the process has ended, or with no process known, the port
// is free.
bool stopServer(platform::WatchedProcess *own, quint16 port, const QString &password);

// Watches a server just started until it answers its first status poll or
// a few seconds have passed; one that ends before that is reported. While
// the process runs, its log is kept within bounds.
class ServerWatch : public QObject
{
    Q_OBJECT
public:
    explicit ServerWatch(QObject *parent = nullptr);

    void watch(std::shared_ptr<platform::WatchedProcess> process, quint16 port,
        const QString &password, const QString &logFile);
    // A server stopped on purpose is not reported.
    void stop();

signals:
    // `how` is the ending in words, such as "exit status 1".
    void endedAtOnce(const QString &how, const QString &logFile);

private:
    void tick();
    void takeAnswers();

    std::shared_ptr<platform::WatchedProcess> process;
    quint16 port = 0;
    QByteArray poll;
    QString logFile;
    QTimer *timer;
    QUdpSocket *socket;
    QElapsedTimer sinceStart;
    bool starting = false;
    int ticks = 0;
};
