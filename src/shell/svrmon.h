#pragma once

// The Server Monitor: a remote console for the server the launch starts on
// this machine. It polls the server over UDP on loopback every three seconds
// and shows the latest reply; the operator can also chat, send any command,
// shut the server down or make it read its configuration again.

#include "monitor/svrmonsession.h"

#include <QHostAddress>
#include <QWidget>
#include <memory>

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
    void readDatagrams();
    void send(const QByteArray &datagram);
    void sendLine(const QString &commandPart);

    std::unique_ptr<Ui::SvrMon> ui;
    std::shared_ptr<MonitorSession> session;
    QString strRconPassword;
    QTimer *Timer1;
    QUdpSocket *Winsock1;
    QHostAddress remoteHost;
    quint16 remotePort = 0;
};
