#include "statuspoll.h"

#include "monitor/rconrequest.h"
#include "rconclient.h"

#include <QNetworkDatagram>

namespace tarnctl {

namespace {

using namespace std::chrono_literals;

// As often as the monitor polls; until a new server first answers, more
// often, so that it is seen ready soon.
constexpr RestartPolicy::Duration pollInterval = 3s;
constexpr RestartPolicy::Duration firstPollInterval = 500ms;

} // namespace

StatusPoll::StatusPoll(quint16 port, const QString &password, std::chrono::milliseconds hangAfter,
    const RestartPolicy &policy)
    : port(port),
      request(rconDatagram(password, pollCommandPart(Poll::Status))),
      hangTime(hangAfter),
      interval(policy.scaled(pollInterval)),
      firstInterval(policy.scaled(firstPollInterval))
{
    quietTimer.setSingleShot(true);
    connect(&pollTimer, &QTimer::timeout, this, &StatusPoll::poll);
    connect(&quietTimer, &QTimer::timeout, this, &StatusPoll::replyComplete);
    connect(&socket, &QUdpSocket::readyRead, this, &StatusPoll::takeAnswers);
}

QString StatusPoll::open()
{
    return socket.bind(QHostAddress::LocalHost, 0) ? QString() : socket.errorString();
}

void StatusPoll::start()
{
    answeredThisRun = false;
    replyParts.clear();
    sinceAnswer.start();
    if (socket.state() == QAbstractSocket::BoundState)
        pollTimer.start(firstInterval);
}

void StatusPoll::stop()
{
    pollTimer.stop();
    quietTimer.stop();
    replyParts.clear();
    answeredThisRun = false;
}

bool StatusPoll::answering() const
{
    return answeredThisRun && pollTimer.isActive() && sinceAnswer.elapsed() <= 2 * interval.count();
}

void StatusPoll::poll()
{
    if (sinceAnswer.elapsed() >= hangTime.count()) {
        stop();
        emit hung();
        return;
    }
    socket.writeDatagram(request, QHostAddress(QHostAddress::LocalHost), port);
}

void StatusPoll::takeAnswers()
{
    while (socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket.receiveDatagram();
        if (datagram.senderPort() != port
            || !datagram.senderAddress().isEqual(
                QHostAddress(QHostAddress::LocalHost), QHostAddress::ConvertV4MappedToIPv4)
            || !pollTimer.isActive())
            continue;
        sinceAnswer.restart();
        if (!answeredThisRun) {
            answeredThisRun = true;
            pollTimer.setInterval(interval);
        }
        replyParts.append(datagram.data());
        quietTimer.start(replyQuiet);
    }
}

void StatusPoll::replyComplete()
{
    const QString text = replyText(replyParts);
    replyParts.clear();
    emit answered(text.toUtf8());
}

} // namespace tarnctl
