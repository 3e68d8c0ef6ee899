// The platform layer as the rest of the program meets it: the registry on a
// store file of its own, text, paths and the start of a server.

#include "platform/codepage.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/winpath.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace platform;

namespace {

const std::string missing = "<missing>";

long put(const std::string &keyPath, const std::string &name, const std::string &data,
    std::uint32_t type = regSz)
{
    Key key = 0;
    long status = regCreateKey(hkeyLocalMachine, keyPath, &key);
    if (status == errorSuccess)
        status = regSetValue(key, name, type, reinterpret_cast<const std::uint8_t *>(data.data()),
            std::uint32_t(data.size()));
    regCloseKey(key);
    return status;
}

std::string get(const std::string &keyPath, const std::string &name, std::uint32_t *type = nullptr)
{
    Key key = 0;
    std::uint8_t data[256];
    std::uint32_t size = sizeof data;
    const bool found = regOpenKey(hkeyLocalMachine, keyPath, &key) == errorSuccess
        && regQueryValue(key, name, type, data, &size) == errorSuccess;
    regCloseKey(key);
    return found ? std::string(reinterpret_cast<char *>(data), size) : missing;
}

// The names of a key's subkeys, or of its values, in enumeration order.
QStringList names(const std::string &keyPath, bool values = false)
{
    QStringList names;
    Key key = 0;
    regOpenKey(hkeyLocalMachine, keyPath, &key);
    std::string name;
    while ((values ? regEnumValue(key, names.size(), &name, nullptr, nullptr)
                   : regEnumKey(key, names.size(), &name))
        == errorSuccess)
        names << QString::fromLatin1(name);
    regCloseKey(key);
    return names;
}

// A child process of this test either writes 1,000 values one by one, each
// in a transaction of its own as the settings code does, or tries each kind
// of call on the store and counts those that worked.
int child(const std::string &mode)
{
    if (mode == "probe") {
        RegWrite batch;
        return (get("SOFTWARE\\Kept", "v") != missing) + !put("SOFTWARE\\Other", "v", "2")
            + !regSetValue(hkeyLocalMachine, "v", regSz, nullptr, 0) + !regWriteBatch({batch});
    }
    for (int i = 1; i <= 1000; ++i) {
        if (const std::string name = mode + std::to_string(i); put("SOFTWARE\\Load", name, name))
            return 1;
    }
    return 0;
}

void startChild(QProcess &process, const QByteArray &mode)
{
    qputenv("TARN_REGISTRY_CHILD", mode);
    process.start(QCoreApplication::applicationFilePath(), {});
    qunsetenv("TARN_REGISTRY_CHILD");
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &content = {}, bool executable = false)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner
        | (executable ? QFile::ExeOwner : QFile::Permissions())));
}

std::string str(const QString &text)
{
    return text.toStdString();
}

} // namespace

class PlatformTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString store;
    int stores = 0;
    const QString startFolder = QDir::currentPath();
    const QByteArray searchPath = qgetenv("PATH");
    QString root() const { return QFileInfo(dir.path()).canonicalFilePath(); }
    QString rootOnZ() const { return "Z:" + root().replace('/', '\\'); }

private slots:
    void initTestCase()
    {
        for (const char *file : {"/games/tarn/user/dedicated.cfg", "/games/été/œuvre.cfg",
                 "/games/tarn/user/MAPS/dm/Qevcon1.bsp", "/c/Program Files/Tarn/tarn.exe"})
            writeFile(root() + file);
        QVERIFY(QDir().mkpath(root() + "/prefix/dosdevices"));
        QVERIFY(QFile::link(root() + "/c", root() + "/prefix/dosdevices/c:"));
        qputenv("WINEPREFIX", QFile::encodeName(root() + "/prefix"));
    }

    // Every test starts from a store of its own, in the same folder, with
    // the same search path.
    void init()
    {
        store = dir.filePath("stores/" + QString::number(++stores) + "/registry.db");
        qputenv("TARNSTARTER_REGISTRY", QFile::encodeName(store));
    }
    void cleanup()
    {
        QDir::setCurrent(startFolder);
        qputenv("PATH", searchPath);
    }

    void registryValuesAndNames()
    {
        const std::string key = "SOFTWARE\\Quillon\\TarnLauncher";
        // Types and bytes come back as given; leading blanks are part of a
        // name. A new store is private, whatever the file mode mask.
        const mode_t savedMask = umask(0);
        const std::tuple<const char *, std::uint32_t, std::string> values[]
            = {{"Path", regSz, {"C:\\GAMES \xE9\x80", 12}}, {"Number", regDword, {"\x2a\0\0\0", 4}},
                {"Blob", regBinary, {"\0\xff\0", 3}}, {"Empty", regSz, ""}, {" 1", regSz, "a"},
                {"1", regSz, "b"}};
        for (const auto &[name, type, data] : values)
            QCOMPARE(put(key, name, data, type), errorSuccess);
        umask(savedMask);
        struct stat file, folder;
        QCOMPARE(stat(QFile::encodeName(store).constData(), &file), 0);
        QCOMPARE(stat(QFile::encodeName(QFileInfo(store).path()).constData(), &folder), 0);
        QVERIFY((file.st_mode & 0777) == 0600 && (folder.st_mode & 0777) == 0700);
        for (std::uint32_t stored = regNone; const auto &[name, type, data] : values)
            QVERIFY2(get(key, name, &stored) == data && stored == type, name);
        const QStringList written = {"Path", "Number", "Blob", "Empty", " 1", "1"};
        QCOMPARE(names(key, true), written);

        // Names match without regard to case, in ASCII and in the letters of
        // Windows-1252 (\xD7 and \xF7 are signs), and keep their first
        // spelling and place; empty path components are no components.
        std::uint32_t type = regNone;
        QCOMPARE(
            put("software\\QUILLON\\\\tarnlauncher\\", "PATH", "two", regBinary), errorSuccess);
        QVERIFY(get(key, "path", &type) == "two" && type == regBinary);
        QCOMPARE(names(key, true), written);
        QCOMPARE(names("SOFTWARE"), QStringList {"Quillon"});
        QCOMPARE(put("SOFTWARE\\\xC9t\xE9", "\xC0\x8A\x8C\x8E\x9F\xDE", "1"), errorSuccess);
        QCOMPARE(get("SOFTWARE\\\xE9T\xC9", "\xE0\x9A\x9C\x9E\xFF\xFE"), "1");
        QCOMPARE(put("SOFTWARE\\Signs", "\xD7", "times"), errorSuccess);
        QCOMPARE(get("SOFTWARE\\Signs", "\xF7"), missing);
    }

    void registryBatchIsAllOrNothing()
    {
        // The database refuses a write half-way through the batch.
        QCOMPARE(put("SOFTWARE\\Kept", "v", "old"), errorSuccess);
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
        QCOMPARE(get("SOFTWARE\\Kept", "v"), "old");
        QCOMPARE(names("SOFTWARE"), QStringList {"Kept"});
    }

    // Every read and write fails, the file keeps its bytes, and one line on
    // stderr says why.
    void registryLeavesAnUnusableStoreUntouched()
    {
        for (const QString kind : {"not a database", "damaged database", "another program's",
                 "folder cannot be made", "read-only file", "read-only folder"}) {
            init();
            const QString folder = QFileInfo(store).path();
            QVERIFY(QDir().mkpath(folder));
            if (kind.startsWith("read-only")) {
                // File modes do not stop root.
                if (geteuid() == 0)
                    continue;
                QCOMPARE(put("SOFTWARE\\Kept", "v", "1"), errorSuccess);
                const bool file = kind == "read-only file";
                chmod(QFile::encodeName(file ? store : folder).constData(), file ? 0400 : 0500);
            } else if (kind == "folder cannot be made") {
                QVERIFY(QDir().rmdir(folder) && QFile(folder).open(QIODevice::WriteOnly));
            } else if (kind == "another program's") {
                sqlite3 *db = nullptr;
                QCOMPARE(sqlite3_open(QFile::encodeName(store).constData(), &db), SQLITE_OK);
                QCOMPARE(sqlite3_exec(db, "CREATE TABLE t(x)", nullptr, nullptr, nullptr), 0);
                sqlite3_close(db);
            } else {
                const bool damaged = kind == "damaged database";
                writeFile(
                    store, QByteArray("SQLite format 3", damaged ? 16 : 1) + QByteArray(8192, 'x'));
            }
            const QByteArray before = readFile(store);
            QProcess probe;
            startChild(probe, "probe");
            QVERIFY(probe.waitForFinished(60000));
            chmod(QFile::encodeName(folder).constData(), 0700);
            const QString errors = probe.readAllStandardError();
            QVERIFY2(probe.exitCode() == 0 && readFile(store) == before, qPrintable(kind));
            QVERIFY2(errors.count('\n') == 1 && errors.contains(store), qPrintable(errors));
        }
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
                QCOMPARE(
                    get("SOFTWARE\\Load", prefix + std::to_string(i)), prefix + std::to_string(i));
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
        // Upper case stays in the code page: no capital for sharp s, micro
        // sign, the division sign; none for characters outside it, even those
        // whose capital is in it (dotless i, the ff ligature).
        QCOMPARE(upperCp1252(u"az àéþ šœžÿ ßµ÷ ÉZ9€"), std::u16string(u"AZ ÀÉÞ ŠŒŽŸ ßµ÷ ÉZ9€"));
        QCOMPARE(upperCp1252(u"жαıﬀ😀"), std::u16string(u"жαıﬀ😀"));
    }

    void pathsFindEachComponentWithoutRegardToCase()
    {
        QCOMPARE(hostPath(str(root() + "/GAMES/TARN\\USER\\maps\\DM\\QEVCON1.BSP")),
            str(root() + "/games/tarn/user/MAPS/dm/Qevcon1.bsp"));
        QCOMPARE(
            hostPath(str(root() + "/GAMES/ÉTÉ/ŒUVRE.CFG")), str(root() + "/games/été/œuvre.cfg"));
        // Components that do not exist keep the case they were given.
        QCOMPARE(hostPath(str(root() + "//GAMES///Tarn/USER/MAPLISTS/TarnStarter.lst")),
            str(root() + "/games/tarn/user/MAPLISTS/TarnStarter.lst"));
        // Of several case variants the exact name wins, else the first in
        // byte order, however the folder lists them.
        for (const QString stem : {"été", "tarn"}) {
            const QString folder = root() + "/variants/" + stem + "/";
            for (int mask = 0; mask < 1 << stem.size(); ++mask) {
                QString name = stem;
                for (int i = 0; i < stem.size(); ++i)
                    name[i] = mask >> i & 1 ? name[i].toUpper() : name[i];
                writeFile(folder + name + ".cfg");
            }
            QCOMPARE(hostPath(str(folder + stem + ".CFG")), str(folder + stem.toUpper() + ".cfg"));
            QCOMPARE(hostPath(str(folder + stem + ".cfg")), str(folder + stem + ".cfg"));
        }
    }

    void pathsRelativeOrOnDrives()
    {
        // ".." and "." reach the host as they are; the short form resolves them.
        QVERIFY(QDir::setCurrent(root() + "/games"));
        QCOMPARE(
            hostPath("TARN\\USER\\..\\User\\DEDICATED.CFG"), "tarn/user/../user/dedicated.cfg");
        QCOMPARE(hostPath(".\\ÉTÉ\\..\\TARN"), "./été/../tarn");
        QCOMPARE(shortPath("TARN\\USER\\..\\..\\ÉTÉ"), str(rootOnZ() + "\\games\\été"));
        QCOMPARE(shortPath("TARN\\NOWHERE"), std::string());

        QCOMPARE(hostPath(str(rootOnZ().toLower() + "\\GAMES")), str(root() + "/games"));
        QCOMPARE(hostPath("C:\\PROGRAM FILES\\TARN\\TARN.EXE"),
            str(root() + "/prefix/dosdevices/c:/Program Files/Tarn/tarn.exe"));
        QVERIFY(hostPath("q:\\anything").empty() && shortPath("Q:\\anything").empty());
        QCOMPARE(shortPath("c:\\program files\\tarn"), "C:\\Program Files\\Tarn");
        QCOMPARE(shortPath("C:\\") + shortPath("/"), "C:\\Z:\\");
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

    void serverStartsDetachedThroughWine()
    {
        const QString game = root() + "/Server";
        writeFile(game + "/TARN.EXE", QByteArray("MZ\x90\0", 4));
        writeFile(game + "/script", "#!/bin/sh\n", true);
        writeFile(game + "/plain", "#!/bin/sh\n");
        writeFile(game + "/garbage", "not a program\n", true);
        // The stand-in wine writes down how it was started; a descriptor held
        // without close-on-exec would add a line before the session.
        const int leaked = fcntl(open("/dev/null", O_RDONLY | O_CLOEXEC), F_DUPFD, 40);
        const QString report = root() + "/report";
        writeFile(root() + "/bin/wine",
            QString(
                "#!/bin/sh\nPATH=/usr/bin:/bin\n"
                "io=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2 /proc/$$/fd/%1)\n"
                "{ printf '%s|' \"$@\"; echo; pwd -P; echo \"$io\"; cut -d' ' -f6 /proc/$$/stat\n"
                "  sed -n 's/^SigIgn:\t*//p' /proc/$$/status; } > %2.tmp && mv %2.tmp %2\n")
                .arg(leaked)
                .arg(report)
                .toUtf8(),
            true);

        // Relative paths mean the caller's folder. What cannot start is told
        // in plain words; neither a bare name nor wine is looked for anywhere
        // but on the search path. A signal the launcher ignores is not ignored.
        QVERIFY(QDir::setCurrent(root()));
        qputenv("PATH", QFile::encodeName(game));
        const char *const refusals[][3] = {{"script", "server", "does not exist"},
            {"server\\tarn.exe", "server", "wine is not installed"},
            {"server\\plain", "server", "not executable"},
            {"server\\garbage", "server", "could not be run"},
            {"server\\script", "server\\script", "not a folder"}};
        std::string error;
        for (const auto &[program, folder, reason] : refusals)
            QVERIFY2(
                !startDetached(program, "", folder, &error) && error.find(reason) != error.npos,
                program);
        qputenv("PATH", QFile::encodeName(root() + "/bin"));
        std::signal(SIGUSR1, SIG_IGN);
        const bool started = startDetached(
            "server\\tarn.exe", "+set dedicated 1 +set hostport 28910", "SERVER", &error);
        std::signal(SIGUSR1, SIG_DFL);
        QVERIFY2(started && error.empty(), error.c_str());
        // Nothing is left for the caller to reap.
        QCOMPARE(waitpid(-1, nullptr, WNOHANG), -1);

        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(report), 20000);
        const QStringList lines = QString(readFile(report)).split('\n');
        QCOMPARE(lines.mid(0, 5),
            QStringList({game + "/TARN.EXE|+set|dedicated|1|+set|hostport|28910|", game,
                "/dev/null", "/dev/null", "/dev/null"}));
        QVERIFY(lines.value(5).toInt() > 0 && lines.value(5).toInt() != getsid(0));
        QCOMPARE(lines.value(6).toULongLong(nullptr, 16) & (1ULL << (SIGUSR1 - 1)), 0ULL);
    }
};

int main(int argc, char **argv)
{
    if (const char *mode = std::getenv("TARN_REGISTRY_CHILD"))
        return child(mode);
    QCoreApplication app(argc, argv);
    PlatformTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "platform_test.moc"
