#include "platform/registry.h"
#include "store/settingsstore.h"
#include "support/teststore.h"

#include <QProcess>
#include <QTest>

namespace {

const QString mainKey = launcherKey;

void storeRaw(
    const QString &keyPath, const QString &name, std::uint32_t type, std::vector<std::uint8_t> data)
{
    platform::RegWrite write;
    write.keyPath = keyPath.toStdString();
    write.hasValue = true;
    write.valueName = name.toStdString();
    write.type = type;
    write.data = std::move(data);
    QCOMPARE(platform::regWriteBatch({write}), platform::errorSuccess);
}

std::vector<std::uint8_t> storedBytes(const QString &keyPath, const QString &name)
{
    platform::Key key = 0;
    if (platform::regOpenKey(hkeyLocalMachine, keyPath.toStdString(), &key)
        != platform::errorSuccess)
        return {};
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    platform::regQueryValue(key, name.toStdString(), &type, nullptr, &size);
    std::vector<std::uint8_t> data(size);
    platform::regQueryValue(key, name.toStdString(), &type, data.data(), &size);
    platform::regCloseKey(key);
    return data;
}

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
        QCOMPARE(storedBytes(mainKey, "Welcome_Mess").size(), std::size_t(length + 1));
        QCOMPARE(
            RegGet(hkeyLocalMachine, mainKey, "Welcome_Mess"), length <= 254 ? text : QString());
    }

    // Text is kept as Windows-1252.
    rEGpUT(hkeyLocalMachine, mainKey, "Host_Name", QStringLiteral("é€\u4e2d"));
    QCOMPARE(storedBytes(mainKey, "Host_Name"), (std::vector<std::uint8_t> {0xe9, 0x80, '?', 0}));
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Host_Name"), QStringLiteral("é€?"));

    // Only the predefined hives exist.
    QCOMPARE(RegGet(0x80000007, mainKey, "Host_Name"), QString());
    QCOMPARE(RegGet(0, mainKey, "Host_Name"), QString());

    // A double word reads as its value through single precision, at least
    // three digits long; other types read as text.
    const std::pair<std::uint32_t, const char *> words[]
        = {{5, "005"}, {1234, "1234"}, {16777217, "16777216"}, {4294967295u, "4294967296"}};
    for (const auto &[value, text] : words) {
        storeRaw(mainKey, "Dword", platform::regDword,
            {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16),
                std::uint8_t(value >> 24)});
        QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Dword"), QString::fromLatin1(text));
    }
    storeRaw(mainKey, "Binary", platform::regBinary, {'a', 'b', 'c', 0});
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Binary"), QStringLiteral("abc"));
}

void TestSettingsStore::numberedLists()
{
    TestStore store;
    rEGpUT(hkeyLocalMachine, mapCycleKey, " 1", "A");
    rEGpUT(hkeyLocalMachine, mapCycleKey, " 2", "x");
    rEGpUT(hkeyLocalMachine, mapCycleKey, " 3", "B");
    rEGpUT(hkeyLocalMachine, mapCycleKey, " 4", "X");
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
    std::vector<platform::RegWrite> writes;
    for (int number = 1; number <= 32768; ++number) {
        platform::RegWrite write;
        write.keyPath = customMapsKey.toStdString();
        write.hasValue = true;
        write.valueName = numberedEntryName(number).toStdString();
        const QByteArray text = "m" + QByteArray::number(number);
        write.data.assign(text.begin(), text.end());
        write.data.push_back(0);
        writes.push_back(std::move(write));
    }
    QCOMPARE(platform::regWriteBatch(writes), platform::errorSuccess);
    const QList<NumberedEntry> entries = readNumberedList(customMapsKey, RemovedEntries::Keep);
    QCOMPARE(entries.size(), lastNumberedEntry);
    QCOMPARE(entries.last().text, QStringLiteral("m32767"));
}

void TestSettingsStore::valuesWrittenByAnotherProcessAreSeen()
{
    TestStore store;
    const QString tarnreg = qEnvironmentVariable("TARN_TOOLS_DIR") + "/tarnreg/tarnreg";
    rEGpUT(hkeyLocalMachine, mainKey, "Max_Spec", "2");
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Max_Spec"), QStringLiteral("2"));
    QCOMPARE(
        QProcess::execute(tarnreg, {"add", "HKLM\\" + mainKey, "/v", "Max_Spec", "/d", "7", "/f"}),
        0);
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Max_Spec"), QStringLiteral("7"));
}

QTEST_MAIN(TestSettingsStore)
#include "test_settingsstore.moc"
