// What the monitor makes of the stored server port and of any datagram that
// comes back. The requests themselves are checked on the wire by the window
// tests.

#include "monitor/rconreply.h"
#include "monitor/rconrequest.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

const QByteArray header("\xFF\xFF\xFF\xFFprint\n", 10);

} // namespace

class TestSvrMonRcon : public QObject
{
    Q_OBJECT

private slots:
    void serverPortIsTheOneTheServerGets();
    void replyText_data();
    void replyText();
    void longestReplyIsShownWhole();
    void randomRepliesKeepTheRules();
};

// The port the server gets from the launch's command line, which is split on
// blanks and quotes before the server reads a number from it.
void TestSvrMonRcon::serverPortIsTheOneTheServerGets()
{
    const QList<std::pair<QString, int>> cases = {{"27960", 27960}, {"27960 ", 27960},
        {" \t27960", 27960}, {"\"27960\"", 27960}, {"27960 +set maxclients 8", 27960}, {"1", 1},
        {"65535", 65535}, {"00080", 80}, {"", 28910}, {"  ", 28910}, {"\"\"", 28910}, {"0", 28910},
        {"65536", 28910}, {"4294967297", 28910}, {"+27960", 28910}, {"-1", 28910},
        {"27960x", 28910}, {QString::fromUtf8("٢٧٩"), 28910}};
    for (const auto &[stored, port] : cases)
        QVERIFY2(monitorServerPort(stored) == port, qPrintable(stored));
}

void TestSvrMonRcon::replyText_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("shown");
    QTest::newRow("nothing") << QByteArray() << "Waiting...";
    QTest::newRow("header only") << header << "Waiting...";
    QTest::newRow("one line feed") << header + "\n"
                                   << "\r\n";
    QTest::newRow("only 0xFF after") << header + "\xFF\xFF"
                                     << "Waiting...";
    QTest::newRow("0xFF dropped") << header
            + "a\xFF"
              "b\xFF"
                                  << "ab";
    // The header is never looked at, whatever it holds.
    QTest::newRow("odd header") << QByteArray("0123456789abc") << "abc";
    QTest::newRow("CR LF") << header + "a\r\nb"
                           << "a\r\r\nb";
    QTest::newRow("Windows-1252") << header + "\x80\xE9\x81" << QString::fromUtf8("€é\u0081");
    QTest::newRow("NUL kept") << header + QByteArray("a\0b", 3) << QString("a") + QChar(0) + "b";
}

void TestSvrMonRcon::replyText()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QString, shown);
    QCOMPARE(replyDisplayText(datagram), shown);
}

// A position counter of 16 bits would stop at 32,767; the largest UDP
// payload must come through entire.
void TestSvrMonRcon::longestReplyIsShownWhole()
{
    QByteArray datagram = header;
    while (datagram.size() < 65507)
        datagram += QByteArray::number(datagram.size()).rightJustified(9, '.') + '\n';
    datagram.truncate(65506);
    datagram += 'Z';
    const QString shown = replyDisplayText(datagram);
    QCOMPARE(shown.size(), 65507 - 10 + datagram.count('\n') - 1);
    QVERIFY(shown.startsWith(".......10\r\n.......20\r\n"));
    QVERIFY(shown.contains("....32770\r\n"));
    QVERIFY(shown.endsWith('Z'));
}

void TestSvrMonRcon::randomRepliesKeepTheRules()
{
    QRandomGenerator random(1801);
    for (int round = 0; round < 3000; ++round) {
        QByteArray datagram(int(random.bounded(round % 100 == 0 ? 65508 : 400)), '\0');
        for (char &c : datagram)
            c = char(random.bounded(256));
        const QString shown = replyDisplayText(datagram);
        const QByteArray body = datagram.mid(10);
        const qsizetype kept = body.size() - body.count('\xFF');
        if (kept == 0) {
            QCOMPARE(shown, QString("Waiting..."));
            continue;
        }
        QCOMPARE(shown.size(), kept + body.count('\n'));
        QVERIFY(!shown.contains(QChar(0xFF)));
        for (qsizetype i = shown.indexOf('\n'); i >= 0; i = shown.indexOf('\n', i + 1))
            QVERIFY(i > 0 && shown.at(i - 1) == '\r');
    }
}

QTEST_GUILESS_MAIN(TestSvrMonRcon)
#include "test_svrmon_rcon.moc"
