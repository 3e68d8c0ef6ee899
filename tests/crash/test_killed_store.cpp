// Writers of the store killed outright at random moments: every write they
// had reported finished is there afterwards and the store still opens.

#include "crashtools.h"
#include "support/teststore.h"

#include <QTest>

using namespace crash;

namespace {

// 200 kills in all.
constexpr int killsPerStoreWriter = 100;

} // namespace

class TestKilledStoreWriters : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { random = seededRandom(); }
    void killedTarnregLosesNoFinishedWrite();
    void killedSettingsSaveLosesNoFinishedWrite();

private:
    QRandomGenerator random;
};

void TestKilledStoreWriters::killedTarnregLosesNoFinishedWrite()
{
    TestStore store;
    QCOMPARE(QProcess::execute(tarnreg(),
                 {QStringLiteral("add"), launcherKeyName, QStringLiteral("/v"),
                     QStringLiteral("Counter"), QStringLiteral("/d"), QStringLiteral("0"),
                     QStringLiteral("/f")}),
        0);
    const QString loop = QStringLiteral(
        "i=$2; while \"$1\" add 'HKLM\\SOFTWARE\\Quillon\\TarnLauncher' /v Counter /d \"$i\" /f"
        " >/dev/null; do echo \"$i\"; i=$((i + 1)); done");
    long long stored = 0;
    for (int kill = 0; kill < killsPerStoreWriter; ++kill) {
        Victim writer(QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), loop, QStringLiteral("sh"), tarnreg(),
                QString::number(stored + 1)});
        const long long finished = lastFinished(writer.killAfter(random.bounded(250)), stored);
        const QMap<QString, QString> values = storedValues();
        QVERIFY2(
            !values.isEmpty(), qPrintable(failure(kill, finished, "a store that does not open")));
        stored = values.value(QStringLiteral("Counter")).toLongLong();
        QVERIFY2(stored == finished || stored == finished + 1,
            qPrintable(failure(kill, finished, QString::number(stored))));
    }
    // Kills that always came before the first write would prove nothing.
    qInfo("%lld writes finished", stored);
    QVERIFY(stored > killsPerStoreWriter);
}

void TestKilledStoreWriters::killedSettingsSaveLosesNoFinishedWrite()
{
    TestStore store;
    long long frag = 0;
    long long welcome = 0;
    long long saves = 0;
    for (int kill = 0; kill < killsPerStoreWriter; ++kill) {
        const long long first = frag + 1;
        Victim saver(QStringLiteral(SETTINGS_SAVER), {QString::number(first)});
        QVERIFY(saver.waitForLine("ready"));
        const long long finished = lastFinished(saver.killAfter(random.bounded(200)), first - 1);
        saves += finished - first + 1;
        const QMap<QString, QString> values = storedValues();
        QVERIFY2(
            !values.isEmpty(), qPrintable(failure(kill, finished, "a store that does not open")));
        const long long previousFrag = frag;
        const long long previousWelcome = welcome;
        frag = values.value(QStringLiteral("Frag_Limit")).toLongLong();
        welcome = values.value(QStringLiteral("Welcome_Mess")).toLongLong();
        const QString found = failure(
            kill, finished, QStringLiteral("frag limit %1, welcome %2").arg(frag).arg(welcome));
        if (finished < first) {
            // Only the save under way can have changed anything.
            QVERIFY2(frag == previousFrag || frag == first, qPrintable(found));
            QVERIFY2(welcome == previousWelcome || welcome == first, qPrintable(found));
        } else {
            // Every save writes the frag limit before the welcome message.
            QVERIFY2(frag == finished || frag == finished + 1, qPrintable(found));
            QVERIFY2(welcome == finished || welcome == finished + 1, qPrintable(found));
            QVERIFY2(welcome <= frag, qPrintable(found));
        }
    }
    qInfo("%lld saves finished", saves);
    QVERIFY(saves > 0);
}

QTEST_GUILESS_MAIN(TestKilledStoreWriters)
#include "test_killed_store.moc"
