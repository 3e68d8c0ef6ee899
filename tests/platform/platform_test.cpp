// The platform layer as the rest of the program meets it on every system:
// the registry on a store file of its own, text and command lines.

#include "platform/codepage.h"
#include "platform/process.h"
#include "platformtest.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <sqlite3.h>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {

// A child process of this test either writes 1,000 values one by one, each
// in a transaction of its own as the settings code does, or tries each kind
// of call on the store and counts those that worked, or writes down its
// arguments and folder as it was started.
int child(const std::string &mode, int argc, char **argv)
{
    if (mode == "echo") {
        const std::string report = std::getenv("TARN_ECHO_REPORT");
        std::ofstream(report + ".tmp", std::ios::binary) << [&] {
            std::string line;
            for (int i = 0; i < argc; ++i)
                line += std::string(argv[i]) + '|';
            return line + '\n' + std::filesystem::current_path().string() + '\n' + startupWindow()
                + '\n';
        }();
        std::filesystem::rename(report + ".tmp", report);
        return 0;
    }
    if (mode == "read") {
        openStoreReadOnly();
        std::fputs(storeProblem().c_str(), stdout);
        return getValue("SOFTWARE\\Kept", "v") == "1"
                && putValue("SOFTWARE\\Kept", "w", "2") == errorAccessDenied
            ? 0
            : 1;
    }
    if (mode == "delete")
        return regDeleteTree(hkeyLocalMachine, "SOFTWARE\\Gone") != errorSuccess;
    if (mode == "probe") {
        RegWrite batch;
        return (getValue("SOFTWARE\\Kept", "v") != missing) + !putValue("SOFTWARE\\Other", "v", "2")
            + !regSetValue(hkeyLocalMachine, "v", regSz, nullptr, 0) + !regWriteBatch({batch});
    }
    for (int i = 1; i <= 1000; ++i) {
        if (const std::string name = mode + std::to_string(i);
            putValue("SOFTWARE\\Load", name, name))
            return 1;
    }
    return 0;
}

// The child runs as this user, or through setpriv with its arguments.
void startChild(QProcess &process, const QByteArray &mode, const QStringList &asUser = {})
{
    qputenv("TARN_REGISTRY_CHILD", mode);
    const QString self = QCoreApplication::applicationFilePath();
    process.start(asUser.isEmpty() ? self : "setpriv", asUser + QStringList {self});
    qunsetenv("TARN_REGISTRY_CHILD");
}

} // namespace

class PlatformTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString store;
    int stores = 0;

private slots:
    // Every test starts from a store of its own.
    void init()
    {
        store = dir.filePath("stores/" + QString::number(++stores) + "/registry.db");
        qputenv("TARNSTARTER_REGISTRY", QFile::encodeName(store));
    }

    void registryValuesAndNames()
    {
        const std::string key = "SOFTWARE\\Quillon\\TarnLauncher";
        // Types and bytes come back as given; leading blanks are part of a
        // name.
        const std::tuple<const char *, std::uint32_t, std::string> values[]
            = {{"Path", regSz, {"C:\\GAMES é€", 15}}, {"Number", regDword, {"\x2a\0\0\0", 4}},
                {"Blob", regBinary, {"\0\xff\0", 3}}, {"Empty", regSz, ""}, {" 1", regSz, "a"},
                {"1", regSz, "b"}};
        for (const auto &[name, type, data] : values)
            QCOMPARE(putValue(key, name, data, type), errorSuccess);
        for (std::uint32_t stored = regNone; const auto &[name, type, data] : values)
            QVERIFY2(getValue(key, name, &stored) == data && stored == type, name);
        const QStringList written = {"Path", "Number", "Blob", "Empty", " 1", "1"};
        QCOMPARE(names(key, true), written);

        // Names match without regard to case, from A to Z and in the letters
        // of Windows-1252 (× and ÷ are signs), and keep their first spelling
        // and place; empty path components are no components.
        std::uint32_t type = regNone;
        QCOMPARE(putValue("software\\QUILLON\\\\tarnlauncher\\", "PATH", "two", regBinary),
            errorSuccess);
        QVERIFY(getValue(key, "path", &type) == "two" && type == regBinary);
        QCOMPARE(names(key, true), written);
        QCOMPARE(names("SOFTWARE"), QStringList {"Quillon"});
        QCOMPARE(putValue("SOFTWARE\\Été", "AZÀŠŒŽŸÞ", "1"), errorSuccess);
        QCOMPARE(getValue("SOFTWARE\\éTÉ", "azàšœžÿþ"), "1");
        QCOMPARE(putValue("SOFTWARE\\Signs", "×", "times"), errorSuccess);
        QCOMPARE(getValue("SOFTWARE\\Signs", "÷"), missing);
    }

    // The calls speak UTF-8; the file keeps names and text in Windows-1252,
    // as stores written before hold them, and binary data as given.
    void registryFileKeepsWindows1252()
    {
        QCOMPARE(putValue("SOFTWARE\\Café", "Ü", {"é€中", 9}), errorSuccess);
        QCOMPARE(putValue("SOFTWARE\\Café", "Blob", "é", regBinary), errorSuccess);
        QCOMPARE(getValue("SOFTWARE\\CAFÉ", "ü"), std::string("é€?\0", 7));
        QCOMPARE(names("SOFTWARE"), QStringList {"Café"});
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(store).constData(), &db), SQLITE_OK);
        sqlite3_stmt *rows = nullptr;
        sqlite3_prepare_v2(db,
            "SELECT k.name, v.name, v.data FROM vals v JOIN keys k ON k.id = v.key ORDER BY v.id",
            -1, &rows, nullptr);
        QList<QByteArray> stored;
        while (sqlite3_step(rows) == SQLITE_ROW) {
            for (int column = 0; column < 3; ++column)
                stored << QByteArray(static_cast<const char *>(sqlite3_column_blob(rows, column)),
                    sqlite3_column_bytes(rows, column));
        }
        sqlite3_finalize(rows);
        sqlite3_close(db);
        QCOMPARE(stored,
            QList<QByteArray>(
                {"Caf\xE9", "\xDC", QByteArray("\xE9\x80?", 4), "Caf\xE9", "Blob", "\xC3\xA9"}));
    }

    void registryBatchIsAllOrNothing()
    {
        // The database refuses a write half-way through the batch.
        QCOMPARE(putValue("SOFTWARE\\Kept", "v", "old"), errorSuccess);
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(store).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                     "CREATE TRIGGER refuse BEFORE INSERT ON vals WHEN NEW.fold = "
                     "CAST('BOOM' AS BLOB) BEGIN SELECT RAISE(ABORT, 'refused'); END",
                     nullptr, nullptr, nullptr),
            SQLITE_OK);
        sqlite3_close(db);
        const auto write = [](const std::string &key, const std::string &name) {
            return RegWrite {hkeyLocalMachine, key, !name.empty(), name, regSz, {'n'}};
        };
        QVERIFY(regWriteBatch({write("SOFTWARE\\New", ""), write("SOFTWARE\\Kept", "v"),
                    write("SOFTWARE\\Kept", "boom")})
            != errorSuccess);
        QCOMPARE(getValue("SOFTWARE\\Kept", "v"), "old");
        QCOMPARE(names("SOFTWARE"), QStringList {"Kept"});
    }

    // Every read and write fails, the file keeps its bytes, and one line on
    // stderr says why.
    void registryLeavesAnUnusableStoreUntouched()
    {
        for (const QString kind :
            {"not a database", "damaged database", "another program's", "folder cannot be made"}) {
            init();
            const QString folder = QFileInfo(store).path();
            QVERIFY(QDir().mkpath(folder));
            if (kind == "folder cannot be made") {
                QVERIFY(QDir().rmdir(folder) && QFile(folder).open(QIODevice::WriteOnly));
            } else if (kind == "another program's") {
                sqlite3 *db = nullptr;
                QCOMPARE(sqlite3_open(QFile::encodeName(store).constData(), &db), SQLITE_OK);
                QCOMPARE(sqlite3_exec(db, "CREATE TABLE t(x)", nullptr, nullptr, nullptr), 0);
                sqlite3_close(db);
            } else {
                const bool damaged = kind == "damaged database";
                QVERIFY(writeFile(store,
                    QByteArray("SQLite format 3", damaged ? 16 : 1) + QByteArray(8192, 'x')));
            }
            const QByteArray before = readFile(store);
            QProcess probe;
            startChild(probe, "probe");
            QVERIFY(probe.waitForFinished(60000));
            const QString errors = probe.readAllStandardError();
            QVERIFY2(probe.exitCode() == 0 && readFile(store) == before, qPrintable(kind));
            QVERIFY2(errors.count('\n') == 1 && errors.contains(store), qPrintable(errors));
        }
    }

    // A reader never makes the store and says why it cannot read one. It
    // reads what a writer has not yet moved out of the write-ahead log, and
    // a store it may not write beside, and changes nothing.
    void registryReadOnly()
    {
        const auto read = [](const QStringList &asUser = {}) {
            QProcess reader;
            startChild(reader, "read", asUser);
            reader.waitForFinished(60000);
            return std::pair(reader.exitCode(), QString(reader.readAllStandardOutput()));
        };
        const auto [missingCode, problem] = read();
        QVERIFY(missingCode == 1 && problem.contains(store) && problem.contains("tarnreg add"));
        QVERIFY(!QFileInfo::exists(QFileInfo(store).path()));

        QCOMPARE(putValue("SOFTWARE\\Kept", "v", "1"), errorSuccess);
        QCOMPARE(read(), std::pair(0, QString()));
#ifndef Q_OS_WIN
        if (geteuid() != 0)
            QSKIP("another user's view needs root");
        // Root's store, readable by all in root's folder, read by nobody
        // once this process has let go of it.
        const QString written = store;
        init();
        QCOMPARE(putValue("SOFTWARE\\Other", "v", "1"), errorSuccess);
        qputenv("TARNSTARTER_REGISTRY", QFile::encodeName(written));
        QVERIFY(QFile::setPermissions(written, QFile::permissions(written) | QFile::ReadOther));
        for (QString path = QFileInfo(written).path(); path.startsWith(dir.path());
             path = QFileInfo(path).path())
            QVERIFY(QFile::setPermissions(
                path, QFile::permissions(path) | QFile::ReadOther | QFile::ExeOther));
        QCOMPARE(
            read({"--reuid=65534", "--regid=65534", "--clear-groups"}), std::pair(0, QString()));
#endif
    }

    // A key another program deletes is made anew for the next write here,
    // although this program had found it before.
    void registryKeyDeletedElsewhere()
    {
        QCOMPARE(putValue("SOFTWARE\\Gone\\Sub", "v", "1"), errorSuccess);
        QCOMPARE(getValue("SOFTWARE\\Gone\\Sub", "v"), "1");
        QProcess deleter;
        startChild(deleter, "delete");
        QVERIFY(deleter.waitForFinished(60000) && deleter.exitCode() == 0);
        QCOMPARE(putValue("SOFTWARE\\Gone\\Sub", "w", "2"), errorSuccess);
        QCOMPARE(getValue("SOFTWARE\\Gone\\Sub", "w"), "2");
        QCOMPARE(names("SOFTWARE\\Gone\\Sub", true), QStringList {"w"});
    }

    void registryLosesNothingToTwoWritersAtOnce()
    {
        // Neither child finds a store: they also race to set it up.
        QProcess children[2];
        startChild(children[0], "A ");
        startChild(children[1], "B ");
        for (QProcess &writer : children) {
            QVERIFY(writer.waitForFinished(240000));
            QVERIFY(writer.exitStatus() == QProcess::NormalExit && writer.exitCode() == 0);
        }
        QCOMPARE(names("SOFTWARE\\Load", true).size(), 2000);
        for (const std::string prefix : {"A ", "B "}) {
            for (int i = 1; i <= 1000; ++i)
                QCOMPARE(getValue("SOFTWARE\\Load", prefix + std::to_string(i)),
                    prefix + std::to_string(i));
        }
    }

    void codePage()
    {
        QCOMPARE(utf8ToCp1252("café €\u00A0"), "caf\xE9 \x80\xA0");
        QCOMPARE(cp1252ToUtf16("\xE9\x80\x9C\x99\x81"), std::u16string(u"é€œ™\u0081"));
        // Outside the code page: Cyrillic, CJK, an emoji, a C1 control the
        // code page puts a letter in place of, a lone surrogate.
        QCOMPARE(utf16ToCp1252(u"ŠŸЖ中😀\u0080" + std::u16string(1, 0xDC00)), "\x8A\x9F?????");
        // UTF-8: an emoji, then broken: a stray continuation byte, a cut
        // sequence, an overlong '/' and an encoded surrogate.
        QCOMPARE(
            utf8ToCp1252("\xF0\x9F\x98\x80\200a\xE2\202b\xC0\257c\xED\xA0\x80"), "??a??b??c???");
        // Every byte comes back, also the five the code page leaves open.
        std::string all;
        for (int byte = 0; byte < 256; ++byte)
            all += static_cast<char>(byte);
        QCOMPARE(utf16ToCp1252(cp1252ToUtf16(all)) + utf8ToCp1252(cp1252ToUtf8(all)), all + all);
        // Between UTF-16 and UTF-8 every character passes, a pair as one;
        // what is broken becomes U+FFFD.
        const std::u16string wide = u"Игры 中😀" + std::u16string(1, 0xD800) + u"a";
        QCOMPARE(utf16ToUtf8(wide), "Игры 中😀\uFFFDa");
        QCOMPARE(utf8ToUtf16("Игры 中😀\xE2"
                             "a"),
            std::u16string(u"Игры 中😀\uFFFDa"));
        // Upper case stays in the code page: no capital for sharp s, micro
        // sign, the division sign; none for characters outside it, even those
        // whose capital is in it (dotless i, the ff ligature).
        QCOMPARE(upperCp1252(u"az àéþ šœžÿ ßµ÷ ÉZ9€"), std::u16string(u"AZ ÀÉÞ ŠŒŽŸ ßµ÷ ÉZ9€"));
        QCOMPARE(upperCp1252(u"жαıﬀ😀"), std::u16string(u"жαıﬀ😀"));
    }

    void commandLinesSplitLikeWindows()
    {
        // Each expected argument is followed by '|'.
        const char *const cases[][2] = {{"", ""}, {" a\t\tb   c ", "a|b|c|"},
            {"\"C:\\Program Files\\T\" x", "C:\\Program Files\\T|x|"}, {"a \"\" b \"\"", "a||b||"},
            {"\"a\"\"b\" c", "a\"b|c|"}, {"a\\\\b\\ c\\", "a\\\\b\\|c\\|"},
            {"a\\\\\\\"b \\\"", "a\\\"b|\"|"}, {"\"a\\\\\" b", "a\\|b|"},
            {"\"C:\\temp\\\" x", "C:\\temp\" x|"}};
        for (const auto &[line, expected] : cases) {
            std::string actual;
            for (const std::string &argument : splitCommandLine(line))
                actual += argument + '|';
            QCOMPARE(actual, expected);
        }
    }
};

int main(int argc, char **argv)
{
    if (const char *mode = std::getenv("TARN_REGISTRY_CHILD"))
        return child(mode, argc, argv);
    QCoreApplication app(argc, argv);
    PlatformTest test;
    const int failed = QTest::qExec(&test, argc, argv);
    return failed + runSystemTests(argc, argv);
}

#include "platform_test.moc"
