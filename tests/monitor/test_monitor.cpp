// The Server Monitor on the wire, the TCP window and the interface classes.

#include "monitor/ciphelper.h"
#include "monitor/rconreply.h"
#include "monitor/rconrequest.h"
#include "monitor/tcprows.h"
#include "monitor/tcptablemodel.h"
#include "shell/messagebox.h"
#include "shell/svrmon.h"
#include "shell/tcptable.h"
#include "store/settingsstore.h"
#include "support/gui.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QHeaderView>
#include <QNetworkDatagram>
#include <QOperatingSystemVersion>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

namespace {

const QByteArray header("\xFF\xFF\xFF\xFFprint\n", 10);

QByteArray request(const QByteArray &passwordAndCommand)
{
    return QByteArray("\xFF\xFF\xFF\xFFrcon ", 9) + passwordAndCommand + '\0';
}

template<typename T = QWidget> T *child(QWidget *window, const char *name)
{
    return window->findChild<T *>(name);
}

QString shown(QWidget *window)
{
    return child<QPlainTextEdit>(window, "Text1")->toPlainText();
}

// A loopback socket that the monitor finds through the stored "Server_Port".
struct FakeServer
{
    explicit FakeServer(const QString &password = "pw")
    {
        socket.bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress);
        rEGpUT(hkeyLocalMachine, launcherKey, "Server_Port", QString::number(socket.localPort()));
        rEGpUT(hkeyLocalMachine, launcherKey, "rcon_pw", password);
    }
    // The next request, past the status requests the player table sends
    // while another command is polled.
    QByteArray next()
    {
        do {
            if (!socket.hasPendingDatagrams())
                socket.waitForReadyRead(10000);
            last = socket.receiveDatagram();
        } while (last.isValid() && last.senderPort() == tablePort);
        return last.data();
    }
    // One poll tick with the combo box on `choice` (-1: as it is).
    QByteArray poll(SvrMon *window, int choice = -1)
    {
        tablePort = child<QUdpSocket>(window, "statusSocket")->localPort();
        if (choice >= 0)
            child<QComboBox>(window, "Combo1")->setCurrentIndex(choice);
        window->Timer1_Timer();
        return next();
    }
    void reply(const QByteArray &text)
    {
        socket.writeDatagram(header + text, last.senderAddress(), quint16(last.senderPort()));
    }

    TestStore store;
    QUdpSocket socket;
    QNetworkDatagram last;
    int tablePort = -1;
};

// The texts of a list's cells, row by row.
QList<QStringList> shownRows(const QAbstractItemModel *model)
{
    QList<QStringList> rows;
    for (int r = 0; r < model->rowCount(); ++r) {
        rows.append(QStringList());
        for (int c = 0; c < model->columnCount(); ++c)
            rows.last().append(model->index(r, c).data().toString());
    }
    return rows;
}

// The texts of a new list with these rows.
QList<QStringList> shownRows(const std::vector<platform::TcpRow> &rows)
{
    TcpTableModel model;
    model.setRows(rows);
    return shownRows(&model);
}

QStringList row(
    const char *local, int localPort, const char *remote, int remotePort, const char *state)
{
    return {local, QString::number(localPort), remote, QString::number(remotePort), state};
}

} // namespace

class TestMonitor : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { setMessageBoxAnswerer({}); }

    // With its port taken the monitor listens on another; only the server replies.
    void takenPortAndRepliesOnlyFromTheServer()
    {
        FakeServer server;
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::LocalHost, 28901, QAbstractSocket::DontShareAddress));
        SvrMon m(std::make_shared<MonitorSession>());
        QStringList seen;
        connect(child<QPlainTextEdit>(&m, "Text1"), &QPlainTextEdit::textChanged, this,
            [&] { seen << shown(&m); });
        m.Timer1_Timer();
        server.next();
        const quint16 port = quint16(server.last.senderPort());
        QVERIFY2(shown(&m).startsWith("Cannot listen on UDP port 28901: ")
                && shown(&m).endsWith(QString(". Using port %1 instead.").arg(port)),
            qPrintable(shown(&m)));
        server.reply("map: DM/QEVCON1\n");
        QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 1, 10000);
        QUdpSocket otherPort;
        otherPort.bind(QHostAddress::LocalHost, 0);
        otherPort.writeDatagram(header + "stranger", QHostAddress::LocalHost, port);
        QUdpSocket otherAddress;
        // Wine binds only the addresses the interfaces have, not all of 127/8.
        QVERIFY(otherAddress.bind(QHostAddress("127.0.0.2"), server.socket.localPort())
            || QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows);
        otherAddress.writeDatagram(header + "stranger", QHostAddress::LocalHost, port);
        server.reply("");
        QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 2, 10000);
        QCOMPARE(seen, QStringList({"map: DM/QEVCON1\n", "Waiting..."}));
        // Lines break as in the console's edit box: at CR LF only.
        m.Winsock1_DataArrival(header + "a\r\nb\rc\n");
        QCOMPARE(shown(&m), QString("a\nbc\n"));
    }

    void requestsFollowTheControls()
    {
        FakeServer server("secret");
        auto session = std::make_shared<MonitorSession>();
        const QPointer<SvrMon> m = new SvrMon(session);
        m->show();
        QVERIFY(child<QTimer>(m, "Timer1")->isActive());
        QCOMPARE(child<QTimer>(m, "Timer1")->interval(), 3000);
        // Before any poll datagram was built, typed text sends nothing.
        auto *combo = child<QComboBox>(m, "Combo1");
        combo->setEditText("players");
        m->Timer1_Timer();
        QCOMPARE(server.poll(m, 0), request("secret status "));
        QCOMPARE(server.poll(m, 1), request("secret serverinfo "));
        QCOMPARE(server.poll(m, 2), request("secret list_dmflags "));
        // Typed text stays as typed; in other case it is no choice: repeat.
        combo->clearEditText();
        QTest::keyClicks(combo->lineEdit(), "server info");
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        QVERIFY(combo->currentText() == "server info" && combo->count() == 3);
        QCOMPARE(server.poll(m), request("secret list_dmflags "));
        // Enter sends the line as typed, even empty, and clears the box.
        const auto enter = [&](const char *box, const char *typed) {
            auto *edit = child<QLineEdit>(m, box);
            QTest::keyClicks(edit, typed);
            QTest::keyClick(edit, Qt::Key_Return);
            return edit->text().isEmpty() ? server.next() : QByteArray("kept");
        };
        QCOMPARE(enter("Text2", "hello  there"), request("secret say hello  there "));
        QCOMPARE(enter("Text2", ""), request("secret say  "));
        QCOMPARE(enter("Text3", "map DM/QEVCON1"), request("secret map DM/QEVCON1 "));
        // Nothing is quoted or trimmed; text outside Windows-1252 is '?'.
        child<QLineEdit>(m, "Text3")->setText(QString::fromUtf8(" \"€\" ✓;"));
        QCOMPARE(enter("Text3", ""), request("secret  \"\x80\" ?; "));
        setMessageBoxAnswerer([](QMessageBox::Icon, const QString &, const QString &) {
            return int(QMessageBox::Yes);
        });
        QTest::mouseClick(child(m, "Command1"), Qt::LeftButton);
        QCOMPARE(server.next(), request("secret quit "));
        QTest::mouseClick(child(m, "Command2"), Qt::LeftButton);
        QCOMPARE(server.next(), request("secret exec dedicated.cfg "));
        // Closing frees the port; the next window keeps the last poll, reads
        // the password again and starts on the first choice.
        m->close();
        QTRY_VERIFY(m.isNull());
        rEGpUT(hkeyLocalMachine, launcherKey, "rcon_pw", "x");
        SvrMon again(session);
        QCOMPARE(child<QComboBox>(&again, "Combo1")->currentIndex(), 0);
        child<QComboBox>(&again, "Combo1")->setEditText("anything");
        QCOMPARE(server.poll(&again), request("secret list_dmflags "));
        QVERIFY(server.last.senderPort() == 28901
            && child<QUdpSocket>(&again, "Winsock1")->localAddress() == QHostAddress::LocalHost);
        const QString generated = RegGet(hkeyLocalMachine, launcherKey, "rcon_pw_generated");
        QCOMPARE(server.poll(&again, 0), request(generated.toLatin1() + " status "));
    }

    void storedPortAndReplyText()
    {
        // The port the server reads from the launch's command line, split first.
        const auto port = [](const char *stored) { return int(monitorServerPort(stored)); };
        QCOMPARE(port(" \t\"27960\" +set maxclients 8"), 27960);
        QVERIFY(port("00080") == 80 && port("1") == 1 && port("65535") == 65535);
        for (const char *unusable :
            {"", "  ", "\"\"", "0", "65536", "4294967297", "+27960", "-1", "27960x", "٢٧٩"})
            QVERIFY2(port(unusable) == 28910, unusable);
        // Past the header: no 0xFF, no CR, the rest as Windows-1252; a reply
        // of carriage returns is no text, not an empty reply.
        QCOMPARE(replyDisplayText("0123456789a\xFF"
                                  "b\r\n\x80\xE9\x81"
                     + QByteArray("\0z", 2)),
            QString::fromUtf8("ab\n€é\u0081") + QChar(0) + "z");
        QCOMPARE(replyDisplayText(header + "\xFF\r"), QString());
        // A 16-bit position counter would stop at 32,767; the largest comes whole.
        const QString longest = replyDisplayText(header + QByteArray(65496, 'a') + 'Z');
        QVERIFY(longest.size() == 65497 && longest.endsWith("aZ"));
    }

    void tcpRowsFromTheTableBytes()
    {
        // Ports are big-endian in the low half; the local address filters.
        const uint8_t bytes[] = {4, 0, 0, 0, //
            5, 0, 0, 0, 192, 168, 0, 2, 0x80, 0x01, 0xAB, 0xCD, 127, 0, 0, 1, 0x70, 0xEE, 0, 0, //
            0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, //
            12, 0, 0, 0, 127, 0, 0, 1, 0, 0x50, 0, 0, 255, 0, 10, 200, 0xFF, 0xFF, 0xFF, 0xFF, //
            13, 0, 0, 0, 127, 0, 0, 2, 0, 22, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        const auto rows = platform::decodeTcpTable(bytes, sizeof bytes);
        const QList<QStringList> shown = {row("192.168.0.2", 32769, "127.0.0.1", 28910, "ESTAB"),
            row("0.0.0.0", 49152, "0.0.0.0", 0, ""),
            row("127.0.0.1", 80, "255.0.10.200", 65535, "DELETE_TCB"),
            row("127.0.0.2", 22, "0.0.0.0", 0, "")};
        QCOMPARE(shownRows(tcpRowsShown(rows, false)), shown);
        QCOMPARE(shownRows(tcpRowsShown(rows, true)), QList<QStringList>({shown[0], shown[3]}));
    }

    // The system's table, its local rows shown only with the box clear. Then
    // the operator's row stays selected and in view in a sorted list while
    // connections come, go, change state and move in the system's order.
    void tcpWindow()
    {
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        const QStringList mine = row("127.0.0.1", listener.serverPort(), "0.0.0.0", 0, "LISTEN");
        const QPointer<TcpTable> window = new TcpTable;
        window->show();
        window->RefreshTable();
        auto *view = child<QTableView>(window, "ListView1");
        QVERIFY(!shownRows(view->model()).contains(mine));
        window->findChild<QCheckBox *>("Check1")->setChecked(false);
        QTRY_VERIFY(shownRows(view->model()).contains(mine));

        const uint8_t host[] = {10, 0, 0, 1};
        const auto connection = [address = platform::addressField(host)](int port, int remote) {
            return platform::TcpRow {platform::tcpEstablished, address,
                platform::portField(uint16_t(port)), address,
                platform::portField(uint16_t(remote))};
        };
        // Two sockets listening on one port, then 200 connections.
        std::vector<platform::TcpRow> table(2, connection(80, 0));
        for (int port = 2000; port < 2200; ++port)
            table.push_back(connection(port, 50000));
        window->setTableSource([&table](uint8_t *buffer, unsigned long *size, int) {
            *size = static_cast<unsigned long>(platform::tcpTableSize(table.size()));
            if (buffer)
                platform::encodeTcpTable(table, buffer);
            return buffer ? 0ul : 122ul;
        });
        window->RefreshTable();
        const auto sortByLocalPort = [header = view->horizontalHeader()] {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                QPoint(header->sectionViewportPosition(1) + 10, header->height() / 2));
        };
        auto *sorted = qobject_cast<QSortFilterProxyModel *>(view->model());
        new QAbstractItemModelTester(
            sorted->sourceModel(), QAbstractItemModelTester::FailureReportingMode::QtTest, sorted);
        sortByLocalPort();
        QTest::mouseClick(
            view->viewport(), Qt::LeftButton, {}, view->visualRect(sorted->index(3, 0)).center());
        for (int page = 0; page < 6; ++page)
            QTest::keyClick(view, Qt::Key_PageDown);
        const QVariant chosen = view->currentIndex().siblingAtColumn(1).data();
        const int scrolled = view->verticalScrollBar()->value();
        QVERIFY(scrolled > 0 && chosen.toInt() > 2050);
        for (int refresh = 0; refresh < 10; ++refresh) {
            table[2 + refresh].remotePort = platform::portField(uint16_t(50001 + refresh));
            std::swap(table[60 + refresh], table[190 - refresh]);
            table[80 + refresh * 3].state = platform::tcpCloseWait;
            table.insert(table.begin(), connection(3000 + refresh, 50000));
            table.pop_back();
            window->RefreshTable();
            const QModelIndexList selected = view->selectionModel()->selectedRows(1);
            QVERIFY(selected.size() == 1 && selected[0].data() == chosen);
            QVERIFY(view->viewport()->rect().contains(view->visualRect(selected[0])));
            QCOMPARE(view->verticalScrollBar()->value(), scrolled);
        }
        QCOMPARE(sorted->index(sorted->rowCount() - 1, 1).data(), QVariant("3009"));
        // Two more clicks give back the system's order, as a new list shows it.
        sortByLocalPort();
        sortByLocalPort();
        QCOMPARE(shownRows(view->model()), shownRows(table));

        // A failed read empties the list; not supported also says so, once,
        // with no tick meanwhile.
        auto *timer = window->findChild<QTimer *>("Timer1");
        QStringList boxes;
        bool tickingWhileOpen = true;
        setMessageBoxAnswerer([&](QMessageBox::Icon, const QString &title, const QString &text) {
            boxes.append(title + "|" + text);
            tickingWhileOpen = timer->isActive();
            return int(QMessageBox::Ok);
        });
        window->setTableSource([](uint8_t *buffer, unsigned long *size, int) {
            *size = 24;
            return buffer ? 31ul : 122ul;
        });
        window->RefreshTable();
        QVERIFY(shownRows(view->model()).isEmpty() && boxes.isEmpty());
        window->setTableSource([](uint8_t *, unsigned long *, int) { return 50ul; });
        window->RefreshTable();
        QCOMPARE(boxes, QStringList("TarnStarter|IP Helper is not supported by this system."));
        QVERIFY(!tickingWhileOpen && timer->isActive() && shownRows(view->model()).isEmpty());
        window->findChild<QPushButton *>("Command2")->click();
        QTRY_VERIFY(window.isNull());
    }

    void interfaceStatistics()
    {
        // A row of every kind of value, one overlong in every way, one of zeros.
        std::vector<platform::IfRow> rows(3);
        std::copy_n(u"eth\u00e90\0x", 7, rows[0].name.begin());
        rows[0].speed = rows[0].lastChange = rows[0].inOctets = 0xFFFFFFFF;
        rows[0].physAddrLen = 6;
        rows[0].physAddr = {0x00, 0x0C, 0x29, 0xAB, 0x01, 0xFF, 0x77, 0x88};
        rows[0].outOctets = 5;
        rows[0].descrLen = 4;
        std::copy_n("Card\0 and", 10, rows[0].descr.begin());
        rows[1].name.fill(u'n');
        rows[1].descrLen = 0xFFFFFFFF;
        rows[1].physAddrLen = 200;
        rows[1].lastChange = 12345;
        rows[1].inOctets = rows[1].outOctets = 0x80000000;
        QStringList notices;
        const auto notice = [&notices](const QString &text) { notices.append(text); };
        bool failRead = false, growBeforeRead = false;
        CIpHelper helper(notice, [&](uint8_t *buffer, unsigned long *size, int) {
            if (buffer && std::exchange(growBeforeRead, false))
                rows.emplace_back();
            const auto needed = static_cast<unsigned long>(platform::ifTableSize(rows.size()));
            const bool fits = buffer && *size >= needed;
            *size = needed;
            if (fits && !failRead)
                platform::encodeIfTable(rows, buffer);
            return fits ? (failRead ? 31ul : 0ul) : 122ul;
        });
        const auto once = helper.Interfaces();
        const CInterface *first = once->Item(1);
        const CInterface *overlong = once->Item(2);
        QCOMPARE(first->InterfaceName(), QString::fromUtf16(u"eth\u00e90"));
        QVERIFY(first->Speed() == -1 && first->OctetsReceived() == -1);
        QCOMPARE(first->AdapterAddress(), QStringLiteral("00-0C-29-AB-01-FF"));
        QCOMPARE(first->InterfaceDescription(), QStringLiteral("Card"));
        QVERIFY(overlong->InterfaceName().size() == 256 && overlong->AdapterAddress().size() == 23);
        QVERIFY(overlong->InterfaceDescription().size() == 256 && overlong->OctetsSent() < 0);
        // The last-change count is in hundredths of a second after the start.
        const QDateTime start = once->Item(3)->LastChange();
        QVERIFY(once->Item(3)->AdapterAddress().isEmpty());
        QCOMPARE(start.msecsTo(overlong->LastChange()), Q_INT64_C(123450));
        QCOMPARE(start.msecsTo(first->LastChange()), Q_INT64_C(42949672950));
        // Every read gives a new collection and 64-bit totals made afresh.
        QCOMPARE(helper.BytesReceived(), Q_INT64_C(6442450943));
        QCOMPARE(helper.BytesSent(), Q_INT64_C(2147483653));
        QVERIFY(helper.Interfaces() != once);
        QCOMPARE(helper.BytesReceived(), Q_INT64_C(6442450943));
        // Add empties the caller's pointer; positions count from 1.
        auto added = std::make_unique<CInterface>();
        const CInterface *last = once->Add(added);
        QVERIFY(!added && last == once->Item(4) && !once->Item(0) && !once->Item(5));
        once->Remove(1);
        QVERIFY(once->Count() == 3 && once->Item(1) == overlong);
        // A row that comes between the size answer and the read is read too.
        growBeforeRead = true;
        QCOMPARE(helper.Interfaces()->Count(), 4);
        // A failed read leaves no totals and says nothing, unlike "not supported".
        failRead = true;
        QCOMPARE(helper.Interfaces()->Count(), 0);
        QVERIFY(helper.BytesReceived() == 0 && helper.BytesSent() == 0 && notices.isEmpty());
        CIpHelper unsupported(notice, [](uint8_t *, unsigned long *, int) { return 50ul; });
        QCOMPARE(unsupported.Interfaces()->Count(), 0);
        QCOMPARE(notices, QStringList("IP Helper is not supported by this system."));
    }
};

QTEST_MAIN(TestMonitor)
#include "test_monitor.moc"
