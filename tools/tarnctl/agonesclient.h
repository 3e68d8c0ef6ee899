#pragma once

// Tells the Agones SDK server beside the game server (its REST gateway on
// this host) how the server does: Ready once it first answers, Health on
// every answer after, Shutdown when it ends. Calls go out one at a time and
// never hold up the watcher; what fails is reported in words.

#include <QNetworkAccessManager>
#include <QObject>
#include <QUrl>
#include <chrono>
#include <functional>
#include <optional>

class QNetworkReply;

namespace tarnctl {

class AgonesClient : public QObject
{
    Q_OBJECT

public:
    // The gateway's port: $AGONES_SDK_HTTP_PORT, or 9358 when it is not
    // set; nothing, with the reason in `error`, when it is no port.
    static std::optional<quint16> portFromEnvironment(QString *error);

    AgonesClient(quint16 port, std::function<void(const QString &)> report);
    ~AgonesClient() override;

    // The server answered its first status poll. Until the SDK server has
    // taken Ready (it may start after us), it is sent again before each
    // Health.
    void ready();
    void health();
    // The server has ended: the calls still waiting give way to this one,
    // and none follow it.
    void shutdown();
    // Waits up to `most` for the calls under way, so that the last of them
    // is not cut off when tarnctl ends.
    void finish(std::chrono::milliseconds most);

signals:
    void idle();

private:
    enum class Call { Ready, Health, Shutdown };

    void queue(Call call);
    void sendNext();
    void done(QNetworkReply *reply);
    QString failure(QNetworkReply *reply) const;

    QUrl gateway;
    std::function<void(const QString &)> report;
    QNetworkAccessManager manager;
    QList<Call> waiting;
    std::optional<Call> sending;
    bool readyWanted = false;
    bool readyTaken = false;
    bool shutDown = false;
    // Failures of a call repeated every few seconds are told once, until it
    // gets through again.
    bool failing = false;
};

} // namespace tarnctl
