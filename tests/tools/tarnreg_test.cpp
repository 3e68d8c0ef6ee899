#include "platform/registry.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace platform;

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QString toolPath()
{
    return qEnvironmentVariable("TARN_TOOLS_DIR") + QStringLiteral("/tarnreg/tarnreg");
}

Run tarnreg(const QStringList &arguments)
{
    QProcess process;
    process.start(toolPath(), arguments);
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void store(
    const std::string &keyPath, const std::string &name, std::uint32_t type, const QByteArray &data)
{
    RegWrite write;
    write.keyPath = keyPath;
    write.hasValue = true;
    write.valueName = name;
    write.type = type;
    write.data.assign(data.begin(), data.end());
    QCOMPARE(regWriteBatch({write}), errorSuccess);
}

} // namespace

class TarnregTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    int storeNumber = 0;

private slots:
    void initTestCase() { QVERIFY2(QFile::exists(toolPath()), qPrintable(toolPath())); }

    // Every test starts from an empty store of its own; the tool inherits it.
    void init()
    {
        qputenv("TARNSTARTER_REGISTRY",
            QFile::encodeName(dir.filePath(QString("store%1.db").arg(++storeNumber))));
    }

    void addThenQueryPrintsLikeRegExe()
    {
        const Run added = tarnreg({"add", "HKLM\\SOFTWARE\\Quillon\\TarnLauncher", "/v", "Path",
            "/d", "C:\\GAMES\\TARN \u00e9\u20ac"});
        QCOMPARE(added.exitCode, 0);
        QCOMPARE(added.out, QByteArray("The operation completed successfully.\n"));
        QCOMPARE(tarnreg({"add", "HKEY_LOCAL_MACHINE\\software\\quillon\\tarnlauncher", "/v",
                             "Count", "/t", "REG_DWORD", "/d", "0x2A", "/f"})
                     .exitCode,
            0);
        QCOMPARE(tarnreg({"add", "HKLM\\SOFTWARE\\Quillon\\TarnLauncher\\DMFlags", "/v", " 1", "/d",
                             " 1"})
                     .exitCode,
            0);
        store("SOFTWARE\\Quillon\\TarnLauncher", "Raw", regBinary, QByteArray("\x01\xAB", 2));

        // The text went in as Windows-1252 with its terminating zero.
        Key key = 0;
        QCOMPARE(
            regOpenKey(hkeyLocalMachine, "SOFTWARE\\Quillon\\TarnLauncher", &key), errorSuccess);
        std::uint8_t data[32];
        std::uint32_t size = sizeof data;
        std::uint32_t type = 0;
        QCOMPARE(regQueryValue(key, "path", &type, data, &size), errorSuccess);
        regCloseKey(key);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(data), size),
            QByteArray("C:\\GAMES\\TARN \xE9\x80", 17));

        const Run query = tarnreg({"query", "HKLM\\SOFTWARE\\Quillon\\TarnLauncher"});
        QCOMPARE(query.exitCode, 0);
        QCOMPARE(query.out,
            QString("\n"
                    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon\\TarnLauncher\n"
                    "    Path    REG_SZ    C:\\GAMES\\TARN \u00e9\u20ac\n"
                    "    Count    REG_DWORD    0x2a\n"
                    "    Raw    REG_BINARY    01AB\n"
                    "\n"
                    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon\\TarnLauncher\\DMFlags\n")
                .toUtf8());

        const Run one = tarnreg({"query", "HKCU\\..\\x", "/v", "Path"});
        QCOMPARE(one.exitCode, 1);
        QCOMPARE(one.err,
            QByteArray("ERROR: The system was unable to find the spe"
                       "cified "
                       "registry key or value.\n"));
        QCOMPARE(
            tarnreg({"query", "HKLM\\SOFTWARE\\Quillon\\TarnLauncher", "/v", "Missing"}).exitCode,
            1);
        QCOMPARE(
            tarnreg({"query", "HKLM\\SOFTWARE\\Quillon\\TarnLauncher\\DMFlags", "/v", " 1"}).out,
            QByteArray("\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon\\TarnLauncher\\DMFlags\n"
                       "     1    REG_SZ     1\n\n"));
    }

    void badSyntaxExitsWithUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no command") << QStringList {};
        QTest::newRow("unknown command") << QStringList {"delete", "HKLM\\SOFTWARE"};
        QTest::newRow("unknown root key") << QStringList {"query", "HKXX\\SOFTWARE"};
        QTest::newRow("unknown type")
            << QStringList {"add", "HKLM\\A", "/v", "n", "/t", "REG_QWORD", "/d", "1"};
        QTest::newRow("dword too big")
            << QStringList {"add", "HKLM\\A", "/v", "n", "/t", "REG_DWORD", "/d", "4294967296"};
        QTest::newRow("dword not a number")
            << QStringList {"add", "HKLM\\A", "/v", "n", "/t", "REG_DWORD", "/d", "12a"};
        QTest::newRow("option without data") << QStringList {"add", "HKLM\\A", "/v"};
        QTest::newRow("export without file") << QStringList {"export", "HKLM\\A"};
    }

    void badSyntaxExitsWithUsage()
    {
        QFETCH(QStringList, arguments);
        const Run run = tarnreg(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.err.startsWith("Usage: tarnreg"));
        QCOMPARE(tarnreg({"query", "HKLM\\A"}).exitCode, 1);
    }

    void exportThenImportRestoresEveryByte()
    {
        store("SOFTWARE\\Quillon\\TarnLauncher", "Path", regSz, QByteArray("C:\\a \"q\" \xE9", 11));
        store("SOFTWARE\\Quillon\\TarnLauncher", "", regSz, QByteArray("default", 8));
        store("SOFTWARE\\Quillon\\TarnLauncher", "Count", regDword, QByteArray("\x2a\0\0\0", 4));
        store("SOFTWARE\\Quillon\\TarnLauncher", "Blob", regBinary, QByteArray("\0\xff", 2));
        store("SOFTWARE\\Quillon\\TarnLauncher", "NoZero", regSz, QByteArray("abc"));
        store("SOFTWARE\\Quillon\\TarnLauncher", "Lines", regSz, QByteArray("a\r\nb", 5));
        store("SOFTWARE\\Quillon\\TarnLauncher", "Multi", 7, QByteArray("a\0b\0\0", 5));
        store("SOFTWARE\\Quillon\\TarnLauncher\\CustomLST", " 1", regSz, QByteArray("DM/X", 5));

        const QString first = dir.filePath("first.reg");
        QCOMPARE(tarnreg({"export", "HKLM\\SOFTWARE\\Quillon", first}).exitCode, 0);
        const QByteArray text = readFile(first);
        QCOMPARE(text,
            QByteArray("REGEDIT4\r\n"
                       "\r\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon]\r\n"
                       "\r\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon\\TarnLauncher]\r\n"
                       "\"Path\"=\"C:\\\\a \\\"q\\\" \xE9\"\r\n"
                       "@=\"default\"\r\n"
                       "\"Count\"=dword:0000002a\r\n"
                       "\"Blob\"=hex:00,ff\r\n"
                       "\"NoZero\"=hex(1):61,62,63\r\n"
                       "\"Lines\"=hex(1):61,0d,0a,62,00\r\n"
                       "\"Multi\"=hex(7):61,00,62,00,00\r\n"
                       "\r\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon\\TarnLauncher\\CustomLST]\r\n"
                       "\" 1\"=\"DM/X\"\r\n"
                       "\r\n"));

        init();
        const Run imported = tarnreg({"import", first});
        QCOMPARE(imported.exitCode, 0);
        QCOMPARE(imported.out, QByteArray("The operation completed successfully.\n"));
        const QString second = dir.filePath("second.reg");
        QCOMPARE(tarnreg({"export", "HKLM\\SOFTWARE\\Quillon", second}).exitCode, 0);
        QCOMPARE(readFile(second), text);
    }

    void importAcceptsWhatPeopleWrite()
    {
        writeFile(dir.filePath("hand.reg"),
            "REGEDIT4\n"
            "; settings for the test server\n"
            "[HKEY_CURRENT_USER\\Software\\Tarn]\n"
            "\"Port\" = dword:6c9e\n"
            "\"Bytes\"=hex:01,02,\\\n"
            "  03\n");
        QCOMPARE(tarnreg({"import", dir.filePath("hand.reg")}).exitCode, 0);
        QCOMPARE(tarnreg({"query", "HKCU\\Software\\Tarn"}).out,
            QByteArray("\nHKEY_CURRENT_USER\\Software\\Tarn\n"
                       "    Port    REG_DWORD    0x6c9e\n"
                       "    Bytes    REG_BINARY    010203\n\n"));
    }

    void faultyImportChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("line");
        const QByteArray head
            = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Q]\r\n\"a\"=\"new\"\r\n";
        QTest::newRow("cut mid-line") << head + "\"b\"=\"unfinis" << 5;
        QTest::newRow("cut inside a continued value") << head + "\"b\"=hex:01,\\\r\n" << 5;
        QTest::newRow("unknown type") << head + "\"b\"=qword:1\r\n" << 5;
        QTest::newRow("invalid escape") << head + "\"b\"=\"a\\nb\"\r\n" << 5;
        QTest::newRow("unclosed quote") << head + "\"b\"=\"abc\r\n" << 5;
        QTest::newRow("dword too long") << head + "\"b\"=dword:123456789\r\n" << 5;
        QTest::newRow("unknown root") << head + "[HKEY_NOWHERE\\X]\r\n" << 5;
        QTest::newRow("deletion") << head + "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Q]\r\n" << 5;
        QTest::newRow("stray line") << head + "junk\r\n" << 5;
        QTest::newRow("bad hex after a new key")
            << head + "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\R]\r\n\"x\"=\"1\"\r\n\"y\"=hex:01,2g\r\n"
            << 8;
        QTest::newRow("value before any key")
            << QByteArray("REGEDIT4\r\n\r\n\"a\"=\"b\"\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\R]\r\n")
            << 3;
        QTest::newRow("not REGEDIT4") << QByteArray(
            "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\R]\r\n")
                                      << 1;
    }

    void faultyImportChangesNothing()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, line);
        store("SOFTWARE\\Q", "a", regSz, QByteArray("old", 4));
        const QString path = dir.filePath("faulty.reg");
        writeFile(path, file);

        const Run run = tarnreg({"import", path});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.startsWith(QString("ERROR: line %1: ").arg(line).toUtf8()), run.err);
        QCOMPARE(tarnreg({"query", "HKLM\\SOFTWARE\\Q", "/v", "a"}).out,
            QByteArray("\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Q\n    a    REG_SZ    old\n\n"));
        QCOMPARE(tarnreg({"query", "HKLM\\SOFTWARE\\R"}).exitCode, 1);
    }
};

QTEST_GUILESS_MAIN(TarnregTest)
#include "tarnreg_test.moc"
