// The system's TCP table with sockets of our own in it, and the window that
// lists it.

#include "monitor/iphelpercall.h"
#include "monitor/tcprows.h"
#include "shell/tcptable.h"
#include "platform/iphelper.h"
#include "platform/iphelper_sources.h"
#include "shell/messagebox.h"

#include <QCheckBox>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A socket of the test's own, closed when the test is done with it.
class Fd
{
public:
    explicit Fd(int fd = -1) : fd(fd) { }
    Fd(Fd &&other) noexcept : fd(std::exchange(other.fd, -1)) { }
    ~Fd()
    {
        if (fd >= 0)
            close(fd);
    }
    int fd;
};

sockaddr_in endpoint(const char *address, uint16_t port)
{
    sockaddr_in where {};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    inet_pton(AF_INET, address, &where.sin_addr);
    return where;
}

uint16_t localPort(const Fd &socket)
{
    sockaddr_in where {};
    socklen_t length = sizeof where;
    getsockname(socket.fd, reinterpret_cast<sockaddr *>(&where), &length);
    return ntohs(where.sin_port);
}

Fd listener(const char *address)
{
    Fd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const sockaddr_in where = endpoint(address, 0);
    if (bind(socket.fd, reinterpret_cast<const sockaddr *>(&where), sizeof where) != 0
        || listen(socket.fd, 8) != 0)
        qFatal("cannot listen on %s", address);
    return socket;
}

Fd connectTo(const Fd &server)
{
    Fd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const sockaddr_in where = endpoint("127.0.0.1", localPort(server));
    if (::connect(socket.fd, reinterpret_cast<const sockaddr *>(&where), sizeof where) != 0)
        qFatal("cannot connect");
    return socket;
}

QList<TcpListRow> systemRows()
{
    const IpHelperTable table = readIpHelperTable(platform::GetTcpTable);
    return tcpListRows(platform::decodeTcpTable(table.bytes.data(), table.bytes.size()), false);
}

TcpListRow row(const char *local, uint16_t localPort, const char *remote, uint16_t remotePort,
    const char *state)
{
    return {local, QString::number(localPort), remote, QString::number(remotePort), state};
}

QList<TcpListRow> shownRows(TcpTable &window)
{
    QList<TcpListRow> rows;
    const QAbstractItemModel *model = window.findChild<QTableView *>("ListView1")->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < 5; ++c)
            cells.append(model->index(r, c).data().toString());
        rows.append({cells[0], cells[1], cells[2], cells[3], cells[4]});
    }
    return rows;
}

} // namespace

class TestTcpTable : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { setMessageBoxAnswerer({}); }

    void ownSocketsAppearWithTheirStates()
    {
        const Fd anyListener = listener("0.0.0.0");
        const Fd loopListener = listener("127.0.0.1");
        const Fd client = connectTo(loopListener);
        const Fd accepted(accept(loopListener.fd, nullptr, nullptr));
        const uint16_t any = localPort(anyListener);
        const uint16_t loop = localPort(loopListener);
        const uint16_t peer = localPort(client);

        const QList<TcpListRow> rows = systemRows();
        QVERIFY(rows.contains(row("0.0.0.0", any, "0.0.0.0", 0, "LISTEN")));
        QVERIFY(rows.contains(row("127.0.0.1", loop, "0.0.0.0", 0, "LISTEN")));
        QVERIFY(rows.contains(row("127.0.0.1", peer, "127.0.0.1", loop, "ESTAB")));
        QVERIFY(rows.contains(row("127.0.0.1", loop, "127.0.0.1", peer, "ESTAB")));

        // The text fallback reads the same sockets.
        std::vector<platform::TcpRow> procRows;
        QVERIFY(platform::readTcpRowsProc(procRows));
        QVERIFY(tcpListRows(procRows, false).contains(row("0.0.0.0", any, "0.0.0.0", 0, "LISTEN")));
    }

    void readAfterSizeQueryGetsTheToldSize()
    {
        unsigned long size = 0;
        QCOMPARE(platform::GetTcpTable(nullptr, &size, 0), platform::errorInsufficientBuffer);
        const Fd grown = listener("127.0.0.1");
        std::vector<uint8_t> buffer(size);
        QCOMPARE(platform::GetTcpTable(buffer.data(), &size, 0), platform::noError);
        QCOMPARE(platform::tcpTableSize(platform::decodeTcpTable(buffer.data(), size).size()),
            std::size_t(size));

        // Without a size query just before, a read sees the table as it is now.
        QVERIFY(systemRows().contains(row("127.0.0.1", localPort(grown), "0.0.0.0", 0, "LISTEN")));
    }

    void filterHidesAndShowsLocalRows()
    {
        const Fd anyListener = listener("0.0.0.0");
        const Fd loopListener = listener("127.0.0.1");
        const Fd client = connectTo(loopListener);
        const uint16_t any = localPort(anyListener);
        const uint16_t loop = localPort(loopListener);
        const auto mine = [&](const TcpListRow &r) {
            return r.localPort == QString::number(any) || r.localPort == QString::number(loop)
                || r.remotePort == QString::number(loop);
        };

        TcpTable window;
        auto *check = window.findChild<QCheckBox *>("Check1");
        QVERIFY(check->isChecked());
        window.RefreshTable();
        const QList<TcpListRow> filtered = shownRows(window);
        QVERIFY(std::none_of(filtered.begin(), filtered.end(), mine));

        check->setChecked(false);
        window.RefreshTable();
        const QList<TcpListRow> rows = shownRows(window);
        QVERIFY(rows.contains(row("0.0.0.0", any, "0.0.0.0", 0, "LISTEN")));
        QVERIFY(rows.contains(row("127.0.0.1", loop, "0.0.0.0", 0, "LISTEN")));
        // Both listeners and both ends of the connection, queued or not.
        QCOMPARE(std::count_if(rows.begin(), rows.end(), mine), 4);
    }

    void openWindowListsAListenerAtTheNextTick()
    {
        auto *window = new TcpTable;
        QPointer<TcpTable> alive(window);
        window->show();
        QVERIFY(shownRows(*window).isEmpty());
        window->findChild<QCheckBox *>("Check1")->setChecked(false);

        const Fd server = listener("0.0.0.0");
        const TcpListRow expected = row("0.0.0.0", localPort(server), "0.0.0.0", 0, "LISTEN");
        QTRY_VERIFY(shownRows(*window).contains(expected));

        window->findChild<QPushButton *>("Command2")->click();
        QTRY_VERIFY(alive.isNull());
    }

    void windowLayout()
    {
        TcpTable window;
        QCOMPARE(window.windowTitle(), QStringLiteral("TCP Connection Status"));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(window.testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(window.findChild<QCheckBox *>("Check1")->text(),
            QStringLiteral("Don't show rows for 0.0.0.0 and  127.0.0.1 IP addresses"));
        QCOMPARE(window.findChild<QPushButton *>("Command2")->text(), QStringLiteral("Close"));
        auto *timer = window.findChild<QTimer *>("Timer1");
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 500);
        const QAbstractItemModel *model = window.findChild<QTableView *>("ListView1")->model();
        QStringList titles;
        for (int c = 0; c < model->columnCount(); ++c)
            titles.append(model->headerData(c, Qt::Horizontal).toString());
        QCOMPARE(
            titles, QStringList({"Loacal IP", "Local Port", "Remote IP", "Remote Port", "State"}));
    }

    void failuresLeaveTheListEmpty()
    {
        TcpTable window;
        auto *timer = window.findChild<QTimer *>("Timer1");
        window.findChild<QCheckBox *>("Check1")->setChecked(false);
        window.RefreshTable();
        QVERIFY(!shownRows(window).isEmpty());

        QStringList boxes;
        bool tickingWhileOpen = true;
        setMessageBoxAnswerer([&](QMessageBox::Icon, const QString &title, const QString &text) {
            boxes.append(title + "|" + text);
            tickingWhileOpen = timer->isActive();
            return int(QMessageBox::Ok);
        });
        window.setTableSource([](uint8_t *, unsigned long *, int) { return 50ul; });
        window.RefreshTable();
        QCOMPARE(boxes, QStringList("TarnStarter|IP Helper is not supported by this system."));
        QVERIFY(!tickingWhileOpen);
        QVERIFY(timer->isActive());
        QVERIFY(shownRows(window).isEmpty());

        // No size, or a read that fails: empty list and no message.
        window.setTableSource([](uint8_t *, unsigned long *, int) { return 0ul; });
        window.RefreshTable();
        QVERIFY(shownRows(window).isEmpty());
        window.setTableSource([](uint8_t *buffer, unsigned long *size, int) {
            *size = 24;
            return buffer ? 31ul : 122ul;
        });
        window.RefreshTable();
        QVERIFY(shownRows(window).isEmpty());
        QCOMPARE(boxes.size(), 1);

        // A table of no rows.
        window.setTableSource([](uint8_t *buffer, unsigned long *size, int) {
            if (!buffer) {
                *size = 4;
                return 122ul;
            }
            std::fill_n(buffer, 4, 0);
            return 0ul;
        });
        window.RefreshTable();
        QVERIFY(shownRows(window).isEmpty());
        QCOMPARE(boxes.size(), 1);
    }
};

QTEST_MAIN(TestTcpTable)
#include "test_tcptable.moc"
