// The Server Monitor window against a socket of the test's own that stands
// in for the server: what every trigger puts on the wire, and which replies
// reach the window.

#include "shell/svrmon.h"
#include "store/settingsstore.h"
#include "support/teststore.h"

#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

namespace {

QByteArray request(const QByteArray &passwordAndCommand)
{
    return QByteArray("\xFF\xFF\xFF\xFFrcon ", 9) + passwordAndCommand + '\0';
}

// A loopback socket on a free port that the monitor finds through the
// store's "Server_Port", as it finds the server the launch started.
class FakeServer
{
public:
    FakeServer()
    {
        socket.bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress);
        rEGpUT(hkeyLocalMachine, launcherKey, "Server_Port", QString::number(port()));
    }

    quint16 port() const { return socket.localPort(); }

    // The next datagram the monitor sent.
    QNetworkDatagram next()
    {
        if (!socket.hasPendingDatagrams())
            socket.waitForReadyRead(10000);
        return socket.receiveDatagram();
    }

    void reply(const QNetworkDatagram &to, const QByteArray &text)
    {
        socket.writeDatagram(
            "\xFF\xFF\xFF\xFFprint\n" + text, to.senderAddress(), quint16(to.senderPort()));
    }

    QUdpSocket socket;
};

struct Monitor
{
    explicit Monitor(std::shared_ptr<MonitorSession> session = std::make_shared<MonitorSession>())
        : window(session),
          combo(window.findChild<QComboBox *>("Combo1")),
          reply(window.findChild<QPlainTextEdit *>("Text1")),
          say(window.findChild<QLineEdit *>("Text2")),
          command(window.findChild<QLineEdit *>("Text3")),
          quit(window.findChild<QPushButton *>("Command1")),
          exec(window.findChild<QPushButton *>("Command2"))
    {
    }
    SvrMon window;
    QComboBox *combo;
    QPlainTextEdit *reply;
    QLineEdit *say;
    QLineEdit *command;
    QPushButton *quit;
    QPushButton *exec;
};

void storePassword(const QString &password)
{
    rEGpUT(hkeyLocalMachine, launcherKey, "rcon_pw", password);
}

} // namespace

class TestSvrMon : public QObject
{
    Q_OBJECT

private slots:
    void controlsAndLoad();
    void pollsFollowTheComboBox();
    void linesAndButtons();
    void storedPasswords();
    void repliesOnlyFromTheServer();
    void takenPortIsReportedAndAvoided();
    void closingReleasesThePort();
};

void TestSvrMon::controlsAndLoad()
{
    TestStore store;
    Monitor m;
    QCOMPARE(m.window.windowTitle(), QString("Server Monitor"));
    QVERIFY(m.window.isWindow() && !m.window.windowIcon().isNull());
    QCOMPARE(m.combo->currentText(), QString("Connection Monitor"));
    QVERIFY(m.combo->isEditable());
    QCOMPARE(m.quit->toolTip(), QString("Shut down server."));
    QCOMPARE(m.exec->toolTip(), QString("Restart server."));
    QVERIFY(m.quit->text().isEmpty() && !m.quit->icon().isNull() && !m.exec->icon().isNull());
    QCOMPARE(m.window.serverPort(), quint16(28910));

    const QTimer *timer = m.window.findChild<QTimer *>("Timer1");
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 3000);
    const QUdpSocket *socket = m.window.findChild<QUdpSocket *>("Winsock1");
    QCOMPARE(socket->localAddress(), QHostAddress(QHostAddress::LocalHost));
    QCOMPARE(socket->localPort(), quint16(28901));

    QStringList order;
    QWidget *w = m.reply;
    do {
        if (w->focusPolicy() & Qt::TabFocus && !w->objectName().isEmpty()
            && !w->objectName().startsWith("qt_"))
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != m.reply);
    QCOMPARE(order, QStringList({"Text1", "Combo1", "Text2", "Text3", "Command1", "Command2"}));

    // Sizable, and the reply box takes the room the window gains.
    m.window.show();
    m.window.layout()->activate();
    const QSize before = m.reply->size();
    m.window.resize(m.window.size() + QSize(200, 150));
    QTRY_COMPARE(m.reply->size(), before + QSize(200, 150));
}

void TestSvrMon::pollsFollowTheComboBox()
{
    TestStore store;
    storePassword("secret");
    FakeServer server;
    auto session = std::make_shared<MonitorSession>();
    {
        Monitor m(session);
        // Before any poll datagram was built, typed text sends nothing: the
        // first datagram the server sees is the one after it.
        m.combo->setEditText("players");
        m.window.Timer1_Timer();
        m.combo->setCurrentIndex(0);
        m.window.Timer1_Timer();
        const QNetworkDatagram first = server.next();
        QCOMPARE(first.data(), request("secret status "));
        QCOMPARE(first.senderAddress(), QHostAddress(QHostAddress::LocalHost));
        QCOMPARE(first.senderPort(), 28901);
        m.combo->setCurrentIndex(2);
        m.window.Timer1_Timer();
        QCOMPARE(server.next().data(), request("secret list_dmflags "));
        m.combo->setCurrentIndex(1);
        m.window.Timer1_Timer();
        QCOMPARE(server.next().data(), request("secret serverinfo "));
        // What is typed stays as typed, Enter adds no item, and a choice in
        // other case is none of the choices.
        m.combo->clearEditText();
        QTest::keyClicks(m.combo->lineEdit(), "server info");
        QTest::keyClick(m.combo->lineEdit(), Qt::Key_Return);
        QCOMPARE(m.combo->currentText(), QString("server info"));
        QCOMPARE(m.combo->count(), 3);
        m.window.Timer1_Timer();
        QCOMPARE(server.next().data(), request("secret serverinfo "));
    }

    // The last poll outlives the window; the next one starts on the first
    // item with the password read again.
    storePassword("changed");
    Monitor again(session);
    QCOMPARE(again.combo->currentText(), QString("Connection Monitor"));
    again.combo->setEditText("anything");
    again.window.Timer1_Timer();
    QCOMPARE(server.next().data(), request("secret serverinfo "));
    again.combo->setCurrentIndex(0);
    again.window.Timer1_Timer();
    QCOMPARE(server.next().data(), request("changed status "));
}

void TestSvrMon::linesAndButtons()
{
    TestStore store;
    storePassword("pw");
    FakeServer server;
    Monitor m;

    // Keys other than Enter only type.
    QTest::keyClicks(m.say, "hello  there");
    QTest::keyClick(m.say, Qt::Key_Return);
    QCOMPARE(server.next().data(), request("pw say hello  there "));
    QVERIFY(m.say->text().isEmpty());
    QTest::keyClick(m.say, Qt::Key_Enter);
    QCOMPARE(server.next().data(), request("pw say  "));

    QTest::keyClicks(m.command, "map DM/QEVCON1");
    QTest::keyClick(m.command, Qt::Key_Return);
    QCOMPARE(server.next().data(), request("pw map DM/QEVCON1 "));
    QVERIFY(m.command->text().isEmpty());
    QTest::keyClick(m.command, Qt::Key_Return);
    QCOMPARE(server.next().data(), request("pw  "));

    // Nothing is quoted or trimmed; text outside Windows-1252 becomes '?'.
    m.say->setText(QString::fromUtf8(" \"€\" ✓;"));
    QTest::keyClick(m.say, Qt::Key_Return);
    QCOMPARE(server.next().data(), request("pw say  \"\x80\" ?; "));

    QTest::mouseClick(m.quit, Qt::LeftButton);
    QCOMPARE(server.next().data(), request("pw quit "));
    QTest::mouseClick(m.exec, Qt::LeftButton);
    QCOMPARE(server.next().data(), request("pw exec dedicated.cfg "));
}

// The launch gives the server "hushed" for any password shorter than two
// characters, so the monitor sends the same.
void TestSvrMon::storedPasswords()
{
    const QList<std::pair<QString, QByteArray>> cases
        = {{"", "hushed"}, {"x", "hushed"}, {"X", "hushed"}, {"q", "hushed"}, {"ab", "ab"},
            {QString(200, 'L') + QString::fromUtf8("é"), QByteArray(200, 'L') + "\xE9"}};
    for (const auto &[stored, sent] : cases) {
        TestStore store;
        if (!stored.isEmpty())
            storePassword(stored);
        FakeServer server;
        Monitor m;
        QTest::mouseClick(m.quit, Qt::LeftButton);
        QCOMPARE(server.next().data(), request(sent + " quit "));
    }
}

void TestSvrMon::repliesOnlyFromTheServer()
{
    TestStore store;
    FakeServer server;
    Monitor m;
    QStringList shown;
    connect(m.reply, &QPlainTextEdit::textChanged, this, [&] { shown << m.reply->toPlainText(); });

    m.window.Timer1_Timer();
    const QNetworkDatagram poll = server.next();
    server.reply(poll, "map: DM/QEVCON1\n");
    QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 10000);

    // Another port on loopback, and the server's port on another loopback
    // address: neither is the server. Their datagrams arrive before the
    // server's next one, and are dropped.
    QUdpSocket otherPort;
    otherPort.bind(QHostAddress::LocalHost, 0);
    otherPort.writeDatagram("\xFF\xFF\xFF\xFFprint\nstranger", QHostAddress::LocalHost, 28901);
    QUdpSocket otherAddress;
    QVERIFY(otherAddress.bind(QHostAddress("127.0.0.2"), server.port()));
    otherAddress.writeDatagram("\xFF\xFF\xFF\xFFprint\nstranger", QHostAddress::LocalHost, 28901);
    server.reply(poll, "");
    QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 2, 10000);
    QCOMPARE(shown, QStringList({"map: DM/QEVCON1\n", "Waiting..."}));

    // Lines break as in the console's edit box: at CR LF only, lone CRs unseen.
    m.window.Winsock1_DataArrival("\xFF\xFF\xFF\xFFprint\na\r\nb\rc\n");
    QCOMPARE(m.reply->toPlainText(), QString("a\nbc\n"));
}

void TestSvrMon::takenPortIsReportedAndAvoided()
{
    TestStore store;
    storePassword("pw");
    FakeServer server;
    QUdpSocket holder;
    QVERIFY(holder.bind(QHostAddress::LocalHost, 28901, QAbstractSocket::DontShareAddress));
    Monitor m;

    const QRegularExpressionMatch match = QRegularExpression(
        "^Cannot listen on UDP port 28901: .+\\. Using port (\\d+) instead\\.$")
                                              .match(m.reply->toPlainText());
    QVERIFY2(match.hasMatch(), qPrintable(m.reply->toPlainText()));

    m.window.Timer1_Timer();
    const QNetworkDatagram poll = server.next();
    QCOMPARE(poll.data(), request("pw status "));
    QCOMPARE(poll.senderPort(), match.captured(1).toInt());
    server.reply(poll, "map: DM/QEVCON1\n");
    QTRY_COMPARE_WITH_TIMEOUT(m.reply->toPlainText(), QString("map: DM/QEVCON1\n"), 10000);
    QVERIFY(!holder.hasPendingDatagrams());
}

void TestSvrMon::closingReleasesThePort()
{
    TestStore store;
    const QPointer<SvrMon> window = new SvrMon(std::make_shared<MonitorSession>());
    window->show();
    window->close();
    QTRY_VERIFY(window.isNull());
    QUdpSocket socket;
    QVERIFY(socket.bind(QHostAddress::LocalHost, 28901, QAbstractSocket::DontShareAddress));
}

QTEST_MAIN(TestSvrMon)
#include "test_svrmon.moc"
