#pragma once

// The watcher's status polls: the monitor's poll, to the server on this
// machine, every few seconds. Each whole reply is passed on, and so is a
// server that has left the polls unanswered for too long.

#include "restartpolicy.h"

#include <QByteArrayList>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>

namespace tarnctl {

class StatusPoll : public QObject
{
    Q_OBJECT

public:
    // `policy` scales the poll intervals, for the tests only.
    StatusPoll(quint16 port, const QString &password, std::chrono::milliseconds hangAfter,
        const RestartPolicy &policy);

    // Takes a port of our own; why that failed, or "".
    QString open();
    // A server has started: polls begin, and so does the time it has to
    // answer.
    void start();
    void stop();
    // The server answered within the last two polls.
    bool answering() const;
    std::chrono::milliseconds hangAfter() const { return hangTime; }

signals:
    void answered(const QByteArray &reply);
    void hung();

private:
    void poll();
    void takeAnswers();
    void replyComplete();

    quint16 port;
    QByteArray request;
    std::chrono::milliseconds hangTime;
    RestartPolicy::Duration interval;
    RestartPolicy::Duration firstInterval;
    QUdpSocket socket;
    QTimer pollTimer;
    QTimer quietTimer;
    QElapsedTimer sinceAnswer;
    bool answeredThisRun = false;
    QByteArrayList replyParts;
};

} // namespace tarnctl
