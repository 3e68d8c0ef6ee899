#include "shell/serverwatch.h"

#include "launch/serverlog.h"
#include "monitor/rconrequest.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QNetworkDatagram>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>
#include <functional>

namespace {

using namespace std::chrono_literals;

// How long a new server has to answer before it counts as up; a server that
// ends within it is reported. The game's own server takes a second or two.
constexpr auto startingTime = 10s;
constexpr auto startingTick = 100ms;
// Status polls while the server starts, in ticks.
constexpr int pollEvery = 5;
// Once it is up, only the log needs looking after.
constexpr auto runningTick = 5s;

bool waitFor(const std::function<bool()> &done, std::chrono::milliseconds time)
{
    QDeadlineTimer deadline(time);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
    return true;
}

} // namespace

// A socket of every address on the port cannot be had while any program
// holds the port on one of them.
bool udpPortTaken(quint16 port)
{
    QUdpSocket probe;
    if (probe.bind(QHostAddress::AnyIPv4, port, QAbstractSocket::DontShareAddress))
        return false;
    return probe.error() == QAbstractSocket::AddressInUseError;
}

bool stopServer(platform::WatchedProcess *own, quint16 port, const QString &password)
{
    QUdpSocket socket;
    if (socket.bind(QHostAddress::LocalHost, 0))
        socket.writeDatagram(
            rconDatagram(password, quitCommandPart()), QHostAddress(QHostAddress::LocalHost), port);
    const auto gone = [&] { return own ? own->ended().has_value() : !udpPortTaken(port); };
    if (waitFor(gone, 3s) || !own)
        return gone();
    own->kill();
    return waitFor(gone, 2s);
}

ServerWatch::ServerWatch(QObject *parent)
    : QObject(parent), timer(new QTimer(this)), socket(new QUdpSocket(this))
{
    connect(timer, &QTimer::timeout, this, &ServerWatch::tick);
    connect(socket, &QUdpSocket::readyRead, this, &ServerWatch::takeAnswers);
}

void ServerWatch::watch(std::shared_ptr<platform::WatchedProcess> newProcess, quint16 newPort,
    const QString &password, const QString &newLogFile)
{
    process = std::move(newProcess);
    port = newPort;
    poll = rconDatagram(password, pollCommandPart(Poll::Status));
    logFile = newLogFile;
    starting = true;
    ticks = 0;
    sinceStart.start();
    if (socket->state() != QAbstractSocket::BoundState)
        socket->bind(QHostAddress::LocalHost, 0);
    timer->start(startingTick);
}

void ServerWatch::stop()
{
    timer->stop();
    starting = false;
    process.reset();
}

void ServerWatch::tick()
{
    if (const std::optional<platform::ProcessEnd> end = process->ended()) {
        const bool atOnce = starting;
        stop();
        if (atOnce)
            emit endedAtOnce(processEndWords(*end), logFile);
        return;
    }
    if (!starting) {
        boundServerLog(logFile);
        return;
    }
    if (sinceStart.elapsed() >= std::chrono::milliseconds(startingTime).count()) {
        starting = false;
        timer->start(runningTick);
    } else if (ticks++ % pollEvery == 0 && socket->state() == QAbstractSocket::BoundState) {
        socket->writeDatagram(poll, QHostAddress(QHostAddress::LocalHost), port);
    }
}

// Any reply from the server's port will do: even one that refuses the
// password says the server is up.
void ServerWatch::takeAnswers()
{
    while (socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket->receiveDatagram();
        if (starting && datagram.senderPort() == port
            && datagram.senderAddress().isEqual(
                QHostAddress(QHostAddress::LocalHost), QHostAddress::ConvertV4MappedToIPv4)) {
            starting = false;
            timer->start(runningTick);
        }
    }
}
