#include "shell/svrmon.h"

#include "launch/configtext.h"
#include "monitor/rconreply.h"
#include "monitor/rconrequest.h"
#include "store/settingsstore.h"
#include "ui_svrmon.h"

#include <QKeyEvent>
#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

// The icons live in a static library, whose resources are not registered by
// themselves.
static void initMonitorResources()
{
    Q_INIT_RESOURCE(svrmon);
}

SvrMon::SvrMon(std::shared_ptr<MonitorSession> session, QWidget *parent)
    : QWidget(parent, Qt::Window),
      ui(std::make_unique<Ui::SvrMon>()),
      session(std::move(session)),
      Timer1(new QTimer(this)),
      Winsock1(new QUdpSocket(this)),
      statusSocket(new QUdpSocket(this))
{
    initMonitorResources();
    ui->setupUi(this);
    // The poll choices are matched exactly, so the combo box must keep what
    // is typed: no completion, which would change case and fill in words.
    ui->Combo1->setCompleter(nullptr);
    // Closing unloads the window: the timer stops and the port is free again.
    setAttribute(Qt::WA_DeleteOnClose);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Winsock1->setObjectName(QStringLiteral("Winsock1"));
    statusSocket->setObjectName(QStringLiteral("statusSocket"));
    Timer1->setInterval(3000);

    connect(Timer1, &QTimer::timeout, this, &SvrMon::Timer1_Timer);
    connect(ui->Command1, &QPushButton::clicked, this, &SvrMon::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &SvrMon::Command2_Click);
    connect(Winsock1, &QUdpSocket::readyRead, this, [this] { readDatagrams(Winsock1); });
    connect(statusSocket, &QUdpSocket::readyRead, this, [this] { readDatagrams(statusSocket); });
    ui->Text2->installEventFilter(this);
    ui->Text3->installEventFilter(this);
    setUpPlayers();

    Form_Load();
}

SvrMon::~SvrMon() = default;

void SvrMon::Form_Load()
{
    strRconPassword = rconPasswordSent(RegGet(hkeyLocalMachine, launcherKey, "rcon_pw"));
    remotePort = monitorServerPort(RegGet(hkeyLocalMachine, launcherKey, "Server_Port"));
    ui->Combo1->setCurrentIndex(0);
    remoteHost = QHostAddress(QHostAddress::LocalHost);
    bindSocket();
    statusSocket->bind(remoteHost, 0, QAbstractSocket::DontShareAddress);
    status.pollingSince = QTime::currentTime();
    showStatus();
    Timer1->start();
}

// Loopback only: the server runs on this machine, and nobody else should be
// able to feed the monitor replies. A second monitor or another program may
// hold the usual port; the monitor then listens elsewhere, since the server
// answers whichever port a request came from.
void SvrMon::bindSocket()
{
    if (Winsock1->bind(remoteHost, monitorLocalPort, QAbstractSocket::DontShareAddress))
        return;
    const QString reason = Winsock1->errorString();
    if (Winsock1->bind(remoteHost, 0, QAbstractSocket::DontShareAddress)) {
        ui->Text1->setPlainText(tr("Cannot listen on UDP port %1: %2. Using port %3 instead.")
                                    .arg(monitorLocalPort)
                                    .arg(reason)
                                    .arg(Winsock1->localPort()));
    } else {
        ui->Text1->setPlainText(
            tr("Cannot listen on UDP port %1: %2.").arg(monitorLocalPort).arg(reason));
    }
}

void SvrMon::Timer1_Timer()
{
    notePoll();
    if (const auto commandPart = pollCommandPart(ui->Combo1->currentText()))
        session->strPollPacket = rconDatagram(strRconPassword, *commandPart);
    // Before any poll datagram was built there is nothing to repeat.
    if (!session->strPollPacket.isEmpty())
        send(session->strPollPacket);
    pollPlayers();
}

bool SvrMon::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == ui->Text2 || watched == ui->Text3)) {
        const QString typed = static_cast<QKeyEvent *>(event)->text();
        const int keyAscii = typed.size() == 1 ? typed.front().unicode() : 0;
        return watched == ui->Text2 ? Text2_KeyPress(keyAscii) : Text3_KeyPress(keyAscii);
    }
    return QWidget::eventFilter(watched, event);
}

// The line goes out even when empty, then the box is cleared.
bool SvrMon::Text2_KeyPress(int keyAscii)
{
    if (keyAscii != 13)
        return false;
    sendLine(sayCommandPart(ui->Text2->text()));
    ui->Text2->clear();
    return true;
}

bool SvrMon::Text3_KeyPress(int keyAscii)
{
    if (keyAscii != 13)
        return false;
    sendLine(typedCommandPart(ui->Text3->text()));
    ui->Text3->clear();
    return true;
}

void SvrMon::Command1_Click()
{
    sendLine(quitCommandPart());
}

void SvrMon::Command2_Click()
{
    sendLine(execCommandPart());
}

void SvrMon::sendLine(const QString &commandPart)
{
    send(rconDatagram(strRconPassword, commandPart));
}

// Every request goes out here, to the server's address and port. No
// acknowledgement and no retry: an unanswered datagram is forgotten and the
// next poll goes out regardless.
void SvrMon::send(const QByteArray &datagram, QUdpSocket *socket)
{
    if (!socket)
        socket = Winsock1;
    // An unbound socket would bind itself to every address on sending.
    if (socket->state() == QAbstractSocket::BoundState)
        socket->writeDatagram(datagram, remoteHost, remotePort);
}

void SvrMon::readDatagrams(QUdpSocket *socket)
{
    while (socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket->receiveDatagram();
        if (!datagram.isValid())
            return;
        if (!datagram.senderAddress().isEqual(remoteHost, QHostAddress::ConvertV4MappedToIPv4)
            || datagram.senderPort() != remotePort)
            continue;
        noteAnswer();
        if (socket == Winsock1)
            Winsock1_DataArrival(datagram.data());
        else
            takeStatusPiece(datagram.data(), Own);
    }
}

void SvrMon::Winsock1_DataArrival(const QByteArray &datagram)
{
    ui->Text1->setPlainText(editBoxText(replyDisplayText(datagram)));
    takeStatusPiece(datagram, Polled);
}
