#pragma once

// The Server Monitor: a remote console for the server the launch starts on
// this machine. It polls the server over UDP on loopback every three seconds
// and shows the latest reply; the operator can also chat, send any command,
// shut the server down or make it read its configuration again; what they
// send and what comes back is kept in a console log. Below the reply, a
// table of the players from the latest status reply lets the operator kick
// or ban a player, see and lift bans, and change the map.

#include "monitor/playerlist.h"
#include "monitor/serverstatus.h"
#include "monitor/svrmonsession.h"

#include <QHostAddress>
#include <QPointer>
#include <QWidget>
#include <memory>

class PlayerTableModel;
class QAction;
class QDialog;
class QListWidget;
class QTimer;
class QUdpSocket;

namespace Ui {
class SvrMon;
}

class SvrMon : public QWidget
{
    Q_OBJECT

public:
    explicit SvrMon(std::shared_ptr<MonitorSession> session, QWidget *parent = nullptr);
    ~SvrMon() override;

    // The poll tick and the reply handler, open so that a caller need not
    // wait three seconds for the timer or a datagram for the socket.
    void Timer1_Timer();
    void Winsock1_DataArrival(const QByteArray &datagram);

    // Where requests go and where replies are taken from.
    quint16 serverPort() const { return remotePort; }
    QString statusLine() const;

signals:
    // The status line changed to `text`.
    void statusLineChanged(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    // Each returns whether it took the key (Enter, key code 13).
    bool Text2_KeyPress(int keyAscii);
    bool Text3_KeyPress(int keyAscii);
    void Command1_Click();
    void Command2_Click();
    void bindSocket();
    void readDatagrams(QUdpSocket *socket);
    // The status line (svrmon_status.cpp).
    void noteAnswer();
    void notePoll();
    bool serverStopped() const;
    void showStatus();
    void send(const QByteArray &datagram, QUdpSocket *socket = nullptr);
    void sendLine(const QString &commandPart);
    // The operator's own lines: sent from a socket of their own, so their
    // replies go to the console log and the text box keeps the poll's.
    void sendLogged(const QString &commandPart);
    void logReply(const QByteArray &datagram);
    void appendToLog(const QString &entry);
    bool recallCommand(int key);

    // The player table (svrmon_players.cpp).
    void setUpPlayers();
    QByteArray statusRequest() const;
    void pollPlayers();
    void sendAction(const QString &commandPart);
    // Replies are gathered per socket: two replies may arrive interleaved.
    enum ReplySource { Polled, Own, ReplySources };
    void takeStatusPiece(const QByteArray &datagram, ReplySource source);
    void showPlayers(ReplySource source);
    void updateActions();
    std::optional<PlayerRow> selectedPlayer() const;
    bool confirmFor(const PlayerRow &player, const QString &title, const QString &question);
    void kickPlayer();
    void banPlayer();
    void showBans();
    void removeBan();
    void changeMap();

    std::unique_ptr<Ui::SvrMon> ui;
    std::shared_ptr<MonitorSession> session;
    QString strRconPassword;
    QTimer *Timer1;
    QUdpSocket *Winsock1;
    // The monitor's own status requests when the polled command is another,
    // answered here so that the text box keeps the polled command's reply.
    QUdpSocket *statusSocket;
    QUdpSocket *consoleSocket;
    PlayerTableModel *players;
    // A long reply comes in pieces; the table waits for the last.
    QTimer *statusSettle[ReplySources];
    QByteArray statusPieces[ReplySources];
    QAction *kickAction;
    QAction *banAction;
    QAction *bansAction;
    QPointer<QDialog> bansView;
    QPointer<QListWidget> banList;
    QHostAddress remoteHost;
    quint16 remotePort = 0;
    ServerStatus status;
};
