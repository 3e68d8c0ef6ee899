// The Server Monitor driven as an operator drives it, against the stand-in
// server: select a player with the mouse or the keys, kick, ban, lift the
// ban, change the map; type commands, recall them, read the console log;
// shut the server down.

#include "monitor/playertablemodel.h"
#include "shell/svrmon.h"
#include "support/gui.h"
#include "support/rconclient.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {

// tarnded with one bot and three remote players, in a game folder that holds
// one map of its own; the store points the monitor at it.
struct Server
{
    Server()
    {
        writeFile(game.path("USER/MAPS/canyon.bsp"), "map");
        port = freeUdpPort();
        rEGpUT(hkeyLocalMachine, launcherKey, "Server_Port", QString::number(port));
        rEGpUT(hkeyLocalMachine, launcherKey, "rcon_pw", "pw");
        rEGpUT(hkeyLocalMachine, gameRegistrationKey, "Path", game.path());
        process.setWorkingDirectory(game.path());
        process.start(toolPath("tarnded"),
            {"+set", "hostport", QString::number(port), "+set", "rcon_password", "pw", "+set",
                "bots", "1", "+set", "clients", "3", "+map", "dm/marlow"});
        process.waitForStarted();
        ready = QTest::qWaitFor([this] { return ask("status").startsWith("map: "); }, 10000);
    }
    ~Server()
    {
        process.terminate();
        process.waitForFinished(10000);
    }
    QByteArray ask(const QByteArray &command) const { return askServer(port, "pw " + command); }

    TestStore store;
    GameFolder game;
    quint16 port = 0;
    QProcess process;
    bool ready = false;
};

// The shown names of the table's rows.
QStringList names(QTableView *table)
{
    QStringList shown;
    for (const PlayerRow &p : static_cast<PlayerTableModel *>(table->model())->players())
        shown << p.shownName();
    return shown;
}

void enter(QLineEdit *box, const QString &typed)
{
    QTest::keyClicks(box, typed);
    QTest::keyClick(box, Qt::Key_Return);
}

// The console log's lines, each time checked and left out.
QStringList logged(SvrMon *m)
{
    static const QRegularExpression time("^\\d\\d:\\d\\d:\\d\\d ");
    QStringList lines = m->findChild<QPlainTextEdit *>("consoleLog")->toPlainText().split('\n');
    for (QString &line : lines)
        line = line.contains(time) ? line.mid(9) : "no time: " + line;
    return lines;
}

void clickRow(QTableView *table, int row)
{
    const QRect cell = table->visualRect(table->model()->index(row, PlayerTableModel::Name));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
}

} // namespace

class MonitorPlayersTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { setMessageBoxAnswerer({}); }

    void kickBanAndMapFromTheTable()
    {
        Server server;
        QVERIFY(server.ready);
        SvrMon m(std::make_shared<MonitorSession>());
        m.show();
        QVERIFY(QTest::qWaitForWindowActive(&m));
        auto *table = m.findChild<QTableView *>("playerTable");
        const QStringList everyone = {"Grunt", "Red Baron", "Lucky Strike", "BlueFox"};
        m.Timer1_Timer();
        QTRY_COMPARE(names(table), everyone);

        // Kick: the mouse picks Lucky Strike, "No" keeps him, "Yes" kicks.
        QStringList asked;
        int answer = QMessageBox::No;
        setMessageBoxAnswerer([&](QMessageBox::Icon, const QString &title, const QString &text) {
            asked << title + '|' + text;
            return answer;
        });
        clickRow(table, 2);
        m.findChild<QPushButton *>("kickButton")->click();
        QCOMPARE(asked, QStringList("Kick|Kick Lucky Strike (2)?"));
        answer = QMessageBox::Yes;
        m.findChild<QPushButton *>("kickButton")->click();
        QTRY_COMPARE(names(table), QStringList({"Grunt", "Red Baron", "BlueFox"}));
        // The selection went with him; a bot has no address to ban.
        QVERIFY(!m.findChild<QPushButton *>("kickButton")->isEnabled());
        clickRow(table, 0);
        QVERIFY(!m.findChild<QPushButton *>("banButton")->isEnabled());

        // Ban: the keys pick BlueFox; the address goes on the list and he goes.
        table->setFocus();
        QTest::keyClick(table, Qt::Key_Down);
        QTest::keyClick(table, Qt::Key_Down);
        QTest::keyClick(m.findChild<QPushButton *>("banButton"), Qt::Key_Space);
        QCOMPARE(asked.last(), "Ban address|Ban the address 192.0.2.12 and kick BlueFox (3)?");
        QTRY_COMPARE(server.ask("filter_list"), QByteArray("Filter list:\n192.0.2.12\n"));
        QVERIFY(!server.ask("status").contains("BlueFox"));

        // Kick with Delete while the player leaves under the question:
        // nothing goes.
        clickRow(table, 1);
        answer = QMessageBox::Yes;
        setMessageBoxAnswerer([&](QMessageBox::Icon, const QString &title, const QString &text) {
            asked << title + '|' + text;
            if (!text.startsWith("Kick "))
                return int(QMessageBox::Ok);
            server.ask("clients 0");
            m.Timer1_Timer();
            const bool changed = QTest::qWaitFor([&] { return names(table).size() == 1; }, 10000);
            return changed ? answer : int(QMessageBox::No);
        });
        QTest::keyClick(table, Qt::Key_Delete);
        QVERIFY2(asked.last().startsWith("Kick|The player list changed since Red Baron (1) was "
                                         "selected; nothing was sent."),
            qPrintable(asked.last()));

        // Bans view: the ban shows and Remove lifts it.
        m.findChild<QPushButton *>("bansButton")->click();
        auto *bans = m.findChild<QListWidget *>("banList");
        QTRY_COMPARE(bans->count(), 1);
        bans->setCurrentRow(0);
        m.findChild<QPushButton *>("removeBanButton")->click();
        QTRY_COMPARE(bans->count(), 0);
        QCOMPARE(server.ask("filter_list"), QByteArray("Filter list:\n"));

        // Change map: the box offers the game folder's maps and takes typing.
        auto *maps = m.findChild<QComboBox *>("mapBox");
        QVERIFY(maps->findText("canyon") >= 0 && maps->findText("DM/QEVCON1") >= 0);
        maps->setCurrentIndex(maps->findText("canyon"));
        m.findChild<QPushButton *>("mapButton")->click();
        QTRY_VERIFY(server.ask("status").startsWith("map: canyon\n"));

        // With Server Info polled, the table still follows status while the
        // text box keeps the polled reply.
        server.ask("clients 3");
        m.findChild<QComboBox *>("Combo1")->setCurrentIndex(1);
        m.Timer1_Timer();
        QTRY_COMPARE(names(table).size(), 4);
        QTRY_VERIFY(
            m.findChild<QPlainTextEdit *>("Text1")->toPlainText().startsWith("Server info"));
        auto *status = m.findChild<QLabel *>("playerStatus");
        QCOMPARE(status->text(), "4 players on canyon");

        // A reply cut short is reported and leaves the players there.
        m.findChild<QTimer *>("Timer1")->stop();
        m.Winsock1_DataArrival(QByteArray("\xFF\xFF\xFF\xFFprint\n", 10)
            + "map: canyon\nnum score ping name address\n  0     1   40 Gru");
        QTRY_VERIFY(status->text().startsWith("Could not read the player list: "));
        QCOMPARE(names(table).size(), 4);
    }

    // Each line sent stays in the log with its reply while the polls go on;
    // Up and Down bring back the commands.
    void consoleLogAndCommandHistory()
    {
        Server server;
        QVERIFY(server.ready);
        SvrMon m(std::make_shared<MonitorSession>());
        QVERIFY(m.findChild<QPlainTextEdit *>("consoleLog"));
        auto *command = m.findChild<QLineEdit *>("Text3");
        enter(command, "fraglimit 25");
        QTRY_COMPARE(logged(&m).size(), 2);
        enter(command, "fraglimit");
        QTRY_COMPARE(logged(&m).size(), 4);
        enter(m.findChild<QLineEdit *>("Text2"), "hello");
        QTRY_COMPARE(logged(&m).size(), 6);
        m.Timer1_Timer();
        QTRY_VERIFY(m.findChild<QPlainTextEdit *>("Text1")->toPlainText().startsWith("map: "));
        QCOMPARE(logged(&m),
            QStringList({"> fraglimit 25", "< (empty reply)", "> fraglimit",
                "< \"fraglimit\" is \"25\"", "> say hello", "< console: hello"}));

        QStringList recalled;
        for (const Qt::Key key :
            {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down}) {
            QTest::keyClick(command, key);
            recalled << command->text();
        }
        QCOMPARE(recalled,
            QStringList({"fraglimit", "fraglimit 25", "fraglimit 25", "fraglimit", "", ""}));
    }

    void shutDownAsksFirst()
    {
        Server server;
        QVERIFY(server.ready);
        SvrMon m(std::make_shared<MonitorSession>());
        QStringList asked;
        int answer = QMessageBox::No;
        setMessageBoxAnswerer([&](QMessageBox::Icon, const QString &title, const QString &) {
            asked << title;
            return answer;
        });
        auto *shutDown = m.findChild<QPushButton *>("Command1");
        QTest::mouseClick(shutDown, Qt::LeftButton);
        QVERIFY(
            asked == QStringList("Shut down server") && server.ask("status").startsWith("map: "));
        answer = QMessageBox::Yes;
        QTest::mouseClick(shutDown, Qt::LeftButton);
        QVERIFY(server.process.waitForFinished(10000));
    }
};

QTEST_MAIN(MonitorPlayersTest)
#include "test_monitorplayers.moc"
