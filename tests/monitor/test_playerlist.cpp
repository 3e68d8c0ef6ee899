// The player table read from the status replies of both kinds of server:
// the stand-in's, and one captured from openarena-server with bots.

#include "monitor/playerlist.h"
#include "monitor/playertablemodel.h"
#include "support/files.h"

#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTest>

namespace {

// A captured reply datagram, without its ten-byte header.
QByteArray captured(const QString &name)
{
    return readFile(qEnvironmentVariable("TARN_TEST_DATA") + "/status/" + name).mid(10);
}

// Number, shown name and address of each player.
QStringList summary(const QList<PlayerRow> &players)
{
    QStringList rows;
    for (const PlayerRow &p : players)
        rows << QString::number(p.number) + '|' + p.shownName() + '|' + p.address;
    return rows;
}

PlayerRow player(int number, const QString &name, const QString &score = "0")
{
    return {number, name, score, "50", "192.0.2.1:27960"};
}

} // namespace

class PlayerListTest : public QObject
{
    Q_OBJECT

private slots:
    void bothServersAndAnEmptyOne()
    {
        const StatusReply standIn = parseStatusReply(captured("tarnded.bin"));
        QCOMPARE(standIn.kind, StatusReply::Kind::Players);
        QCOMPARE(standIn.map, "dm/arena1");
        QCOMPARE(summary(standIn.players),
            QStringList({"0|Grunt|bot", "1|Viper|bot", "2|Red Baron|192.0.2.10:27960",
                "3|Lucky Strike|192.0.2.11:27960", "4|BlueFox|192.0.2.12:27960"}));
        QCOMPARE(standIn.players[4].name, "^4Blue^7Fox");
        QCOMPARE(standIn.players[4].host(), "192.0.2.12");

        // openarena-server puts a colour reset before the address and a
        // rate column after it.
        const StatusReply arena = parseStatusReply(captured("openarena-bots.bin"));
        QCOMPARE(arena.kind, StatusReply::Kind::Players);
        QCOMPARE(summary(arena.players),
            QStringList({"0|Sarge|bot", "1|Grism|bot", "2|Big Sarge|bot", "3|GrimReaper|bot"}));
        QCOMPARE(arena.players[2].name, "^1Big ^3Sarge");
        QVERIFY(arena.players[3].isBot());

        const StatusReply empty = parseStatusReply(captured("openarena-empty.bin"));
        QVERIFY(empty.kind == StatusReply::Kind::Players && empty.players.isEmpty());
        QCOMPARE(empty.map, "oa_dm1");
    }

    // A reply cut inside a line, or without its table, is reported and never
    // taken for a smaller table; other commands' replies are not status.
    void cutShortOrOther()
    {
        for (const QString name : {"tarnded.bin", "openarena-bots.bin"}) {
            const QByteArray whole = captured(name);
            for (const qsizetype end : {whole.indexOf("^7bot"), whole.indexOf("192.0"),
                     whole.lastIndexOf("bot") + 1, qsizetype(12)}) {
                if (end <= 0)
                    continue;
                const StatusReply cut = parseStatusReply(whole.first(end));
                QVERIFY2(cut.kind == StatusReply::Kind::Unreadable && !cut.problem.isEmpty(),
                    whole.first(end));
            }
        }
        QCOMPARE(parseStatusReply("map: x\nnum score ping name address\n  x 0 0 Pat bot\n").kind,
            StatusReply::Kind::Unreadable);
        QVERIFY(beginsStatusReply(captured("tarnded.bin")));
        QCOMPARE(filterListEntries("Filter list:\n192.0.2.12\n"), QStringList({"192.0.2.12"}));
        for (const QByteArray other : {"Server info settings:\nhostname x\n",
                 "Bad rcon_password.\n", "Grunt was kicked\n", ""}) {
            QCOMPARE(parseStatusReply(other).kind, StatusReply::Kind::Other);
            QVERIFY(!beginsStatusReply(other));
        }
    }

    // A player who stays keeps a selected row selected, also when players
    // before it leave and others join.
    void tableUpdatesInPlace()
    {
        PlayerTableModel model;
        QItemSelectionModel selection(&model);
        model.setPlayers({player(0, "Ann"), player(1, "Bob"), player(2, "Cy"), player(3, "Di")});
        selection.select(
            model.index(2, 0), QItemSelectionModel::Rows | QItemSelectionModel::Select);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

        const QList<PlayerRow> next
            = {player(0, "Ann"), player(2, "Cy", "7"), player(3, "Di"), player(4, "Eve")};
        model.setPlayers(next);
        QCOMPARE(model.players(), next);
        QCOMPARE(selection.selectedRows(), QModelIndexList({model.index(1, 0)}));
        QCOMPARE(model.index(1, PlayerTableModel::Score).data().toString(), "7");

        // A slot taken by someone else is another player.
        model.setPlayers({player(0, "Ann"), player(2, "Zed")});
        QVERIFY(selection.selectedRows().isEmpty());
        QCOMPARE(resets.count(), 0);
    }
};

QTEST_GUILESS_MAIN(PlayerListTest)
#include "test_playerlist.moc"
