#include "shell/svrmon.h"

#include "launch/configtext.h"
#include "monitor/consolelog.h"
#include "monitor/rconreply.h"
#include "monitor/rconrequest.h"
#include "shell/messagebox.h"
#include "store/settingstable.h"
#include "ui_svrmon.h"

#include <QKeyEvent>
#include <QNetworkDatagram>
#include <QScrollBar>
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
      statusSocket(new QUdpSocket(this)),
      consoleSocket(new QUdpSocket(this))
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
    consoleSocket->setObjectName(QStringLiteral("consoleSocket"));
    ui->consoleLog->setMaximumBlockCount(consoleLogLines);
    Timer1->setInterval(3000);

    connect(Timer1, &QTimer::timeout, this, &SvrMon::Timer1_Timer);
    connect(ui->Command1, &QPushButton::clicked, this, &SvrMon::Command1_Click);
    connect(ui->Command2, &QPushButton::clicked, this, &SvrMon::Command2_Click);
    connect(Winsock1, &QUdpSocket::readyRead, this, [this] { readDatagrams(Winsock1); });
    connect(statusSocket, &QUdpSocket::readyRead, this, [this] { readDatagrams(statusSocket); });
    connect(consoleSocket, &QUdpSocket::readyRead, this, [this] { readDatagrams(consoleSocket); });
    ui->Text2->installEventFilter(this);
    ui->Text3->installEventFilter(this);
    setUpPlayers();

    Form_Load();
}

SvrMon::~SvrMon() = default;

void SvrMon::Form_Load()
{
    const LaunchSettings settings = loadLaunchSettings();
    strRconPassword = rconPasswordSent(settings.rconPassword);
    remotePort = monitorServerPort(settings.port);
    ui->Combo1->setCurrentIndex(0);
    remoteHost = QHostAddress(QHostAddress::LocalHost);
    bindSocket();
    statusSocket->bind(remoteHost, 0, QAbstractSocket::DontShareAddress);
    status.pollingSince = QTime::currentTime();
    showStatus();
    consoleSocket->bind(remoteHost, 0, QAbstractSocket::DontShareAddress);
    session->commands.rewind();
    // A password nobody typed is shown here, so the operator can reach the
    // server from elsewhere too.
    if (strRconPassword.isEmpty())
        appendToLog(noRconPasswordText());
    else if (!passwordPassed(settings.rconPassword))
        appendToLog(tr("Remote-console password: %1\n(made for these settings; type your own "
                       "into Rcon_pw to choose it)")
                        .arg(strRconPassword));
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

// The poll Combo1's text chooses: its captions, matched exactly; typed text
// that is none of them chooses nothing.
static std::optional<Poll> pollChosen(const QString &text)
{
    if (text == u"Connection Monitor")
        return Poll::Status;
    if (text == u"Server Info")
        return Poll::ServerInfo;
    if (text == u"List DMFlags")
        return Poll::DmFlags;
    return std::nullopt;
}

void SvrMon::Timer1_Timer()
{
    notePoll();
    if (const auto poll = pollChosen(ui->Combo1->currentText()))
        session->strPollPacket = rconDatagram(strRconPassword, pollCommandPart(*poll));
    // Before any poll datagram was built there is nothing to repeat.
    if (!session->strPollPacket.isEmpty())
        send(session->strPollPacket);
    pollPlayers();
}

bool SvrMon::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == ui->Text2 || watched == ui->Text3)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (watched == ui->Text3 && recallCommand(key->key()))
            return true;
        const QString typed = key->text();
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
    sendLogged(sayCommandPart(ui->Text2->text()));
    ui->Text2->clear();
    return true;
}

bool SvrMon::Text3_KeyPress(int keyAscii)
{
    if (keyAscii != 13)
        return false;
    session->commands.add(ui->Text3->text());
    sendLogged(typedCommandPart(ui->Text3->text()));
    ui->Text3->clear();
    return true;
}

// Up and Down in "Send command:" bring back the lines sent before.
bool SvrMon::recallCommand(int key)
{
    if (key != Qt::Key_Up && key != Qt::Key_Down)
        return false;
    const auto line = key == Qt::Key_Up ? session->commands.older() : session->commands.newer();
    if (line)
        ui->Text3->setText(*line);
    return true;
}

// A click too many must not end the game for everyone on the server.
void SvrMon::Command1_Click()
{
    if (showMessageBox(this, QMessageBox::Question, tr("Shut down server"),
            tr("Shut the server down? Everyone playing on it is disconnected."),
            QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes)
        sendLogged(quitCommandPart());
}

void SvrMon::Command2_Click()
{
    sendLogged(execCommandPart());
}

void SvrMon::sendLogged(const QString &commandPart)
{
    appendToLog(sentLogEntry(QTime::currentTime(), commandPart));
    send(rconDatagram(strRconPassword, commandPart), consoleSocket);
}

// Unlike the text box, the log does not stand "Waiting..." for a reply
// without text: the server did answer.
void SvrMon::logReply(const QByteArray &datagram)
{
    appendToLog(replyLogEntry(QTime::currentTime(), datagramText(datagram)));
}

// The log follows the newest entry, seen from its start with its time,
// unless the operator has scrolled back to read. The box lays its lines out
// late, so it is scrolled once that is done.
void SvrMon::appendToLog(const QString &entry)
{
    QPlainTextEdit *log = ui->consoleLog;
    const bool following = log->verticalScrollBar()->value() == log->verticalScrollBar()->maximum();
    log->appendPlainText(entry);
    // Shown for the first time, the box scrolls to its cursor.
    if (!log->isVisible())
        log->moveCursor(QTextCursor::Start);
    if (following)
        QTimer::singleShot(0, log, [log] {
            log->verticalScrollBar()->setValue(log->verticalScrollBar()->maximum());
            log->horizontalScrollBar()->setValue(0);
        });
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
        else if (socket == consoleSocket)
            logReply(datagram.data());
        else
            takeStatusPiece(datagram.data(), Own);
    }
}

void SvrMon::Winsock1_DataArrival(const QByteArray &datagram)
{
    ui->Text1->setPlainText(replyDisplayText(datagram));
    takeStatusPiece(datagram, Polled);
}
