#include "store/settingsstore.h"
#include "support/numberedentries.h"
#include "support/storevalues.h"
#include "support/teststore.h"
#include "support/toolpath.h"

#include <QProcess>
#include <QTest>

namespace {

const QString mainKey = launcherKey;
const std::string rawMainKey = mainKey.toStdString();

} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT
private slots:
    void readsAsTheRegistryDoes();
    void numberedLists();
    void valuesWrittenByAnotherProcessAreSeen();
};

void TestSettingsStore::readsAsTheRegistryDoes()
{
    TestStore store;
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Frag_Limit"), QString());
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey + "\\Nowhere", "Frag_Limit"), QString());

    // The whole text is stored; a read brings back 254 characters at most,
    // and nothing of a longer one.
    for (int length : {254, 255}) {
        const QString text(length, QLatin1Char('w'));
        rEGpUT(hkeyLocalMachine, mainKey, "Welcome_Mess", text);
        QCOMPARE(getValue(rawMainKey, "Welcome_Mess").size(), std::size_t(length + 1));
        QCOMPARE(
            RegGet(hkeyLocalMachine, mainKey, "Welcome_Mess"), length <= 254 ? text : QString());
    }

    // The store keeps text as Windows-1252.
    rEGpUT(hkeyLocalMachine, mainKey, "Host_Name", QStringLiteral("é€\u4e2d"));
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Host_Name"), QStringLiteral("é€?"));

    // Only the predefined hives exist.
    QCOMPARE(RegGet(0x80000007, mainKey, "Host_Name"), QString());
    QCOMPARE(RegGet(0, mainKey, "Host_Name"), QString());

    // A double word reads as its value through single precision, at least
    // three digits long; other types read as text.
    const std::pair<std::uint32_t, const char *> words[]
        = {{5, "005"}, {1234, "1234"}, {16777217, "16777216"}, {4294967295u, "4294967296"}};
    for (const auto &[value, text] : words) {
        const char bytes[] = {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
        putValue(rawMainKey, "Dword", {bytes, 4}, platform::regDword);
        QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Dword"), QString::fromLatin1(text));
    }
    putValue(rawMainKey, "Binary", {"abc", 4}, platform::regBinary);
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Binary"), QStringLiteral("abc"));
}

void TestSettingsStore::numberedLists()
{
    TestStore store;
    QVERIFY(putEntries(mapCycleKey, {"A", "x", "B", "X"}));
    const auto texts = [](const QList<NumberedEntry> &entries) {
        QStringList result;
        for (const NumberedEntry &entry : entries)
            result.append(QString::number(entry.number) + "=" + entry.text);
        return result;
    };
    // "x" marks a removed entry; the list ends at the first empty one.
    QCOMPARE(texts(readNumberedList(mapCycleKey, RemovedEntries::Skip)),
        QStringList({"1=A", "3=B", "4=X"}));
    QCOMPARE(texts(readNumberedList(mapCycleKey, RemovedEntries::Keep)),
        QStringList({"1=A", "2=x", "3=B", "4=X"}));
    rEGpUT(hkeyLocalMachine, mapCycleKey, " 2", "");
    QCOMPARE(texts(readNumberedList(mapCycleKey, RemovedEntries::Skip)), QStringList({"1=A"}));

    // Entry numbers are 16-bit: entry 32768 is never read.
    QStringList maps;
    for (int number = 1; number <= 32768; ++number)
        maps.append("m" + QString::number(number));
    QVERIFY(putEntries(customMapsKey, maps));
    const QList<NumberedEntry> entries = readNumberedList(customMapsKey, RemovedEntries::Keep);
    QCOMPARE(entries.size(), lastNumberedEntry);
    QCOMPARE(entries.last().text, QStringLiteral("m32767"));
}

void TestSettingsStore::valuesWrittenByAnotherProcessAreSeen()
{
    TestStore store;
    rEGpUT(hkeyLocalMachine, mainKey, "Max_Spec", "2");
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Max_Spec"), QStringLiteral("2"));
    QCOMPARE(QProcess::execute(toolPath("tarnreg"),
                 {"add", "HKLM\\" + mainKey, "/v", "Max_Spec", "/d", "7", "/f"}),
        0);
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Max_Spec"), QStringLiteral("7"));
}

QTEST_MAIN(TestSettingsStore)
#include "test_settingsstore.moc"
