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
    void missingAndEmptyReadAsEmpty();
    void readLimitIs254Characters();
    void doubleWordsReadAsPaddedNumbers();
    void otherTypesReadAsText();
    void onlyPredefinedHivesAreRead();
    void keyPathsAndNamesAsTheRegistryTreatsThem();
    void textIsStoredAsWindows1252();
    void numberedListsSkipRemovedEntriesWhereAsked();
    void numberedListStopsAt32767Entries();
    void valuesWrittenByAnotherProcessAreSeen();
};

void TestSettingsStore::missingAndEmptyReadAsEmpty()
{
    TestStore store;
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Frag_Limit"), QString());
    rEGpUT(hkeyLocalMachine, mainKey, "Frag_Limit", "");
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Frag_Limit"), QString());
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey + "\\Nowhere", "Frag_Limit"), QString());
    rEGpUT(hkeyLocalMachine, mainKey, "Frag_Limit", "25");
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Frag_Limit"), QStringLiteral("25"));
}

void TestSettingsStore::readLimitIs254Characters()
{
    TestStore store;
    for (int length : {253, 254, 255, 10000}) {
        const QString text(length, QLatin1Char('w'));
        rEGpUT(hkeyLocalMachine, mainKey, "Welcome_Mess", text);
        // The whole text is stored either way; only the read is limited.
        QCOMPARE(storedBytes(mainKey, "Welcome_Mess").size(), std::size_t(length + 1));
        QCOMPARE(
            RegGet(hkeyLocalMachine, mainKey, "Welcome_Mess"), length <= 254 ? text : QString());
    }
}

void TestSettingsStore::doubleWordsReadAsPaddedNumbers()
{
    TestStore store;
    const std::pair<std::uint32_t, const char *> cases[] = {
        {5, "005"},
        {0, "000"},
        {42, "042"},
        {1234, "1234"},
        {100000, "100000"},
        {16777216, "16777216"},
        {16777217, "16777216"},
        {4294967295u, "4294967296"},
    };
    for (const auto &[value, text] : cases) {
        storeRaw(mainKey, "Dword", platform::regDword,
            {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16),
                std::uint8_t(value >> 24)});
        QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Dword"), QString::fromLatin1(text));
    }
}

void TestSettingsStore::otherTypesReadAsText()
{
    TestStore store;
    storeRaw(mainKey, "Binary", platform::regBinary, {'a', 'b', 'c', 0});
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Binary"), QStringLiteral("abc"));
    storeRaw(mainKey, "Nothing", platform::regBinary, {});
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Nothing"), QString());
    // A string stored without its terminating zero loses its last character,
    // as the registry's readers always have.
    storeRaw(mainKey, "Bare", platform::regSz, {'a', 'b'});
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Bare"), QStringLiteral("a"));
}

void TestSettingsStore::onlyPredefinedHivesAreRead()
{
    TestStore store;
    rEGpUT(hkeyLocalMachine, mainKey, "Server_Port", "28910");
    QCOMPARE(RegGet(0x80000002, mainKey, "Server_Port"), QStringLiteral("28910"));
    QCOMPARE(RegGet(0x80000007, mainKey, "Server_Port"), QString());
    QCOMPARE(RegGet(0x7fffffff, mainKey, "Server_Port"), QString());
    QCOMPARE(RegGet(0, mainKey, "Server_Port"), QString());
    rEGpUT(0x80000001, mainKey, "Server_Port", "1");
    QCOMPARE(RegGet(0x80000001, mainKey, "Server_Port"), QStringLiteral("1"));
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Server_Port"), QStringLiteral("28910"));
}

void TestSettingsStore::keyPathsAndNamesAsTheRegistryTreatsThem()
{
    TestStore store;
    const QString commands = mainKey + "\\CustomCMDS";
    rEGpUT(hkeyLocalMachine, commands + "\\", " 1", "set a 1");
    QCOMPARE(RegGet(hkeyLocalMachine, commands, " 1"), QStringLiteral("set a 1"));
    QCOMPARE(RegGet(hkeyLocalMachine, commands.toUpper(), " 1"), QStringLiteral("set a 1"));
    QCOMPARE(RegGet(hkeyLocalMachine, "SOFTWARE\\\\Quillon\\TarnLauncher\\CustomCMDS", " 1"),
        QStringLiteral("set a 1"));
    // The leading blank is part of the name.
    QCOMPARE(RegGet(hkeyLocalMachine, commands, "1"), QString());
    QCOMPARE(RegGet(hkeyLocalMachine, commands, "  1"), QString());

    rEGpUT(hkeyLocalMachine, mainKey, "Host_Name", "one");
    rEGpUT(hkeyLocalMachine, mainKey, "HOST_NAME", "two");
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "host_name"), QStringLiteral("two"));

    // Writing below missing keys creates every one of them.
    rEGpUT(hkeyLocalMachine, "SOFTWARE\\A\\B\\C", "v", "deep");
    platform::Key key = 0;
    QCOMPARE(
        platform::regOpenKey(hkeyLocalMachine, "SOFTWARE\\A\\B", &key), platform::errorSuccess);
    platform::regCloseKey(key);
    QCOMPARE(RegGet(hkeyLocalMachine, "software\\a\\b\\c", "V"), QStringLiteral("deep"));
}

void TestSettingsStore::textIsStoredAsWindows1252()
{
    TestStore store;
    rEGpUT(hkeyLocalMachine, mainKey, "Host_Name", QStringLiteral("é€\u4e2d"));
    const std::vector<std::uint8_t> expected {0xe9, 0x80, '?', 0};
    QCOMPARE(storedBytes(mainKey, "Host_Name"), expected);
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Host_Name"), QStringLiteral("é€?"));
}

void TestSettingsStore::numberedListsSkipRemovedEntriesWhereAsked()
{
    TestStore store;
    const QString list = mainKey + "\\CustomLST";
    rEGpUT(hkeyLocalMachine, list, " 1", "A");
    rEGpUT(hkeyLocalMachine, list, " 2", "x");
    rEGpUT(hkeyLocalMachine, list, " 3", "B");
    const auto texts = [](const QList<NumberedEntry> &entries) {
        QStringList result;
        for (const NumberedEntry &entry : entries)
            result.append(QString::number(entry.number) + "=" + entry.text);
        return result;
    };
    QCOMPARE(texts(readNumberedList(list, RemovedEntries::Skip)), QStringList({"1=A", "3=B"}));
    QCOMPARE(
        texts(readNumberedList(list, RemovedEntries::Keep)), QStringList({"1=A", "2=x", "3=B"}));
    rEGpUT(hkeyLocalMachine, list, " 2", "");
    QCOMPARE(texts(readNumberedList(list, RemovedEntries::Skip)), QStringList({"1=A"}));
}

void TestSettingsStore::numberedListStopsAt32767Entries()
{
    TestStore store;
    const QString list = mainKey + "\\CustomMAPS";
    std::vector<platform::RegWrite> writes;
    for (int number = 1; number <= 32768; ++number) {
        platform::RegWrite write;
        write.keyPath = list.toStdString();
        write.hasValue = true;
        write.valueName = numberedEntryName(number).toStdString();
        const std::string text = "m" + std::to_string(number);
        write.data.assign(text.begin(), text.end());
        write.data.push_back(0);
        writes.push_back(std::move(write));
    }
    QCOMPARE(platform::regWriteBatch(writes), platform::errorSuccess);
    const QList<NumberedEntry> entries = readNumberedList(list, RemovedEntries::Keep);
    QCOMPARE(entries.size(), 32767);
    QCOMPARE(entries.last().text, QStringLiteral("m32767"));
}

void TestSettingsStore::valuesWrittenByAnotherProcessAreSeen()
{
    TestStore store;
    const QString tarnreg = qEnvironmentVariable("TARN_TOOLS_DIR") + "/tarnreg/tarnreg";
    QVERIFY2(QFile::exists(tarnreg), qPrintable(tarnreg));
    rEGpUT(hkeyLocalMachine, mainKey, "Max_Spec", "2");
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Max_Spec"), QStringLiteral("2"));
    QCOMPARE(
        QProcess::execute(tarnreg, {"add", "HKLM\\" + mainKey, "/v", "Max_Spec", "/d", "7", "/f"}),
        0);
    QCOMPARE(RegGet(hkeyLocalMachine, mainKey, "Max_Spec"), QStringLiteral("7"));
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "test_settingsstore.moc"
