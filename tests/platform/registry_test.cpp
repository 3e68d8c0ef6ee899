#include "platform/registry.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

#include <cstdio>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Text as the settings code stores it: its bytes and one zero.
Bytes sz(std::string_view text)
{
    Bytes data(text.begin(), text.end());
    data.push_back(0);
    return data;
}

long put(const std::string &keyPath, const std::string &name, const Bytes &data,
    std::uint32_t type = regSz)
{
    Key key = 0;
    long status = regCreateKey(hkeyLocalMachine, keyPath, &key);
    if (status != errorSuccess)
        return status;
    status = regSetValue(key, name, type, data.data(), static_cast<std::uint32_t>(data.size()));
    regCloseKey(key);
    return status;
}

struct Read
{
    long status = errorSuccess;
    std::uint32_t type = regNone;
    Bytes data;
};

Read get(const std::string &keyPath, const std::string &name)
{
    Read read;
    Key key = 0;
    read.status = regOpenKey(hkeyLocalMachine, keyPath, &key);
    if (read.status != errorSuccess)
        return read;
    std::uint32_t size = 0;
    read.status = regQueryValue(key, name, &read.type, nullptr, &size);
    if (read.status == errorSuccess) {
        read.data.resize(size);
        read.status = regQueryValue(key, name, &read.type, read.data.data(), &size);
    }
    regCloseKey(key);
    return read;
}

// The names of a key's subkeys (or values), in enumeration order.
QStringList names(const std::string &keyPath, bool values = false)
{
    QStringList names;
    Key key = 0;
    if (regOpenKey(hkeyLocalMachine, keyPath, &key) != errorSuccess)
        return names;
    std::string name;
    std::uint32_t type = 0;
    Bytes data;
    for (std::uint32_t i = 0;
         (values ? regEnumValue(key, i, &name, &type, &data) : regEnumKey(key, i, &name))
         == errorSuccess;
         ++i)
        names << QString::fromLatin1(name);
    regCloseKey(key);
    return names;
}

QStringList valueNames(const std::string &keyPath)
{
    return names(keyPath, true);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Collects what is written to stderr while it lives.
class StderrCapture
{
public:
    StderrCapture()
    {
        file.open();
        std::fflush(stderr);
        saved = dup(STDERR_FILENO);
        dup2(file.handle(), STDERR_FILENO);
    }
    QString finish()
    {
        std::fflush(stderr);
        dup2(saved, STDERR_FILENO);
        ::close(saved);
        file.seek(0);
        return QString::fromLocal8Bit(file.readAll());
    }

private:
    QTemporaryFile file;
    int saved = -1;
};

// A child process of this test: writes 1,000 values one by one, each in a
// transaction of its own, as the settings code does.
int writeValues(const std::string &prefix)
{
    for (int i = 1; i <= 1000; ++i) {
        const std::string name = prefix + ' ' + std::to_string(i);
        if (const long status = put("SOFTWARE\\Load", name, sz(name)); status != errorSuccess) {
            std::fprintf(stderr, "writing %s failed with %ld\n", name.c_str(), status);
            return 1;
        }
    }
    return 0;
}

} // namespace

class RegistryTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString store;

    void useStore(const QString &path)
    {
        store = path;
        qputenv("TARNSTARTER_REGISTRY", path.toLocal8Bit());
    }

private slots:
    void init()
    {
        QString name = QTest::currentTestFunction();
        if (QTest::currentDataTag())
            name += QStringLiteral("-")
                + QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_');
        useStore(dir.filePath(name + QStringLiteral("/registry.db")));
    }

    void valuesReadBackExactly()
    {
        const std::string key = "SOFTWARE\\Quillon\\TarnLauncher";
        const std::vector<std::tuple<std::string, std::uint32_t, Bytes>> values = {
            {"Path", regSz, sz("C:\\GAMES\\TARN \xE9\x80")},
            {"Number", regDword, {0x2a, 0, 0, 0}},
            {"Blob", regBinary, {0, 0xff, 0, 0x10}},
            {"Multi", 7, sz(std::string_view("a\0b", 3))},
            {"Empty", regSz, {}},
        };
        for (const auto &[name, type, data] : values)
            QCOMPARE(put(key, name, data, type), errorSuccess);
        for (const auto &[name, type, data] : values) {
            const Read read = get(key, name);
            QCOMPARE(read.status, errorSuccess);
            QCOMPARE(read.type, type);
            QCOMPARE(read.data, data);
        }
        // Writing again replaces type and data.
        QCOMPARE(put(key, "Number", sz("7")), errorSuccess);
        QCOMPARE(get(key, "Number").type, regSz);
        QCOMPARE(get(key, "Number").data, sz("7"));
    }

    void namesIgnoreCaseButKeepFirstSpelling()
    {
        QCOMPARE(put("SOFTWARE\\Quillon\\TarnLauncher", "Path", sz("one")), errorSuccess);
        QCOMPARE(put("software\\QUILLON\\tarnlauncher", "PATH", sz("two")), errorSuccess);
        QCOMPARE(names("SOFTWARE"), QStringList {"Quillon"});
        QCOMPARE(valueNames("Software\\Quillon\\TarnLauncher"), QStringList {"Path"});
        QCOMPARE(get("SOFTWARE\\Quillon\\TarnLauncher", "path").data, sz("two"));

        // Windows-1252 letters fold too: \xC9/\xE9 and \x8A/\x9A are one
        // letter in two cases; \xD7 and \xF7 are not letters.
        QCOMPARE(put("SOFTWARE\\\xC9t\xE9", "\x8A", sz("1")), errorSuccess);
        QCOMPARE(get("SOFTWARE\\\xE9T\xC9", "\x9A").data, sz("1"));
        QCOMPARE(put("SOFTWARE\\Signs", "\xD7", sz("times")), errorSuccess);
        QCOMPARE(get("SOFTWARE\\Signs", "\xF7").status, errorFileNotFound);
    }

    void emptyPathComponentsAreIgnored()
    {
        QCOMPARE(
            put("SOFTWARE\\Quillon\\TarnLauncher\\CustomCMDS\\", " 1", sz("sv_x 1")), errorSuccess);
        QCOMPARE(get("SOFTWARE\\Quillon\\TarnLauncher\\CustomCMDS", " 1").data, sz("sv_x 1"));
        QCOMPARE(get("SOFTWARE\\\\Quillon\\TarnLauncher\\\\CustomCMDS", " 1").data, sz("sv_x 1"));
        QCOMPARE(names("SOFTWARE\\Quillon\\TarnLauncher"), QStringList {"CustomCMDS"});
    }

    void leadingBlanksArePartOfTheName()
    {
        QCOMPARE(put("SOFTWARE\\List", " 1", sz("first")), errorSuccess);
        QCOMPARE(put("SOFTWARE\\List", "1", sz("other")), errorSuccess);
        QCOMPARE(put("SOFTWARE\\List", "  1", sz("third")), errorSuccess);
        QCOMPARE(get("SOFTWARE\\List", " 1").data, sz("first"));
        QCOMPARE(get("SOFTWARE\\List", "1").data, sz("other"));
        QCOMPARE(valueNames("SOFTWARE\\List"), (QStringList {" 1", "1", "  1"}));
    }

    void shortBufferGetsNeededLength()
    {
        QCOMPARE(put("SOFTWARE\\T", "Long", sz("0123456789")), errorSuccess);
        Key key = 0;
        QCOMPARE(regOpenKey(hkeyLocalMachine, "SOFTWARE\\T", &key), errorSuccess);
        std::uint8_t buffer[11];
        std::memset(buffer, 0xEE, sizeof buffer);
        std::uint32_t type = 0;
        std::uint32_t size = 10;
        QCOMPARE(regQueryValue(key, "Long", &type, buffer, &size), errorMoreData);
        QCOMPARE(size, 11u);
        QCOMPARE(buffer[0], std::uint8_t(0xEE));
        QCOMPARE(regQueryValue(key, "Long", &type, buffer, &size), errorSuccess);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(buffer), 11), QByteArray("0123456789", 11));
        QCOMPARE(regQueryValue(key, "Long", &type, buffer, nullptr), errorInvalidParameter);
        regCloseKey(key);
    }

    void missingKeysValuesAndHandles()
    {
        QCOMPARE(get("SOFTWARE\\Nothing", "x").status, errorFileNotFound);
        QCOMPARE(put("SOFTWARE\\Some", "a", sz("1")), errorSuccess);
        QCOMPARE(get("SOFTWARE\\Some", "b").status, errorFileNotFound);

        Key key = 0;
        QCOMPARE(regOpenKey(hkeyLocalMachine, "SOFTWARE\\Some", &key), errorSuccess);
        std::string name;
        QCOMPARE(regEnumKey(key, 0, &name), errorNoMoreItems);
        std::uint32_t type = 0;
        Bytes data;
        QCOMPARE(regEnumValue(key, 1, &name, &type, &data), errorNoMoreItems);
        QCOMPARE(regCloseKey(key), errorSuccess);
        QCOMPARE(regCloseKey(key), errorInvalidHandle);
        QCOMPARE(regQueryValue(key, "a", &type, nullptr, nullptr), errorInvalidHandle);
        QCOMPARE(regOpenKey(0x7fffffff, "SOFTWARE", &key), errorInvalidHandle);
        // The other root keys are separate trees.
        QCOMPARE(regOpenKey(hkeyCurrentUser, "SOFTWARE\\Some", &key), errorFileNotFound);
    }

    void enumerationKeepsFirstWrittenOrder()
    {
        for (const char *name : {"c", "a", "b"})
            QCOMPARE(put(std::string("SOFTWARE\\Order\\") + name, name, sz(name)), errorSuccess);
        for (const char *name : {"c", "a", "b"})
            QCOMPARE(put("SOFTWARE\\Order", name, sz(name)), errorSuccess);
        QCOMPARE(put("SOFTWARE\\Order", "A", sz("again")), errorSuccess);
        QCOMPARE(names("SOFTWARE\\Order"), (QStringList {"c", "a", "b"}));
        QCOMPARE(valueNames("SOFTWARE\\Order"), (QStringList {"c", "a", "b"}));
    }

    void batchIsAllOrNothing()
    {
        QCOMPARE(put("SOFTWARE\\Kept", "v", sz("old")), errorSuccess);

        const auto write = [](const std::string &key, const std::string &name, const Bytes &data) {
            RegWrite write;
            write.keyPath = key;
            write.hasValue = !name.empty();
            write.valueName = name;
            write.data = data;
            return write;
        };
        std::vector<RegWrite> writes = {write("SOFTWARE\\New\\Deep", {}, {}),
            write("SOFTWARE\\Kept", "v", sz("new")), write("SOFTWARE\\Kept", "boom", sz("x"))};

        // A write that the database refuses half-way through the batch.
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(store.toLocal8Bit().constData(), &db), SQLITE_OK);
        QCOMPARE(
            sqlite3_exec(db,
                "CREATE TRIGGER refuse BEFORE INSERT ON vals WHEN NEW.fold = CAST('BOOM' AS BLOB)"
                " BEGIN SELECT RAISE(ABORT, 'refused'); END",
                nullptr, nullptr, nullptr),
            SQLITE_OK);
        QVERIFY(regWriteBatch(writes) != errorSuccess);
        QCOMPARE(get("SOFTWARE\\Kept", "v").data, sz("old"));
        QCOMPARE(names("SOFTWARE"), QStringList {"Kept"});

        QCOMPARE(sqlite3_exec(db, "DROP TRIGGER refuse", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
        RegWrite foreign = writes[0];
        foreign.hive = 0x12345678;
        writes.push_back(foreign);
        QCOMPARE(regWriteBatch(writes), errorInvalidHandle);
        QCOMPARE(names("SOFTWARE"), QStringList {"Kept"});

        writes.pop_back();
        QCOMPARE(regWriteBatch(writes), errorSuccess);
        QCOMPARE(get("SOFTWARE\\Kept", "v").data, sz("new"));
        QCOMPARE(get("SOFTWARE\\Kept", "boom").data, sz("x"));
        QCOMPARE(names("SOFTWARE\\New"), QStringList {"Deep"});
    }

    void followsTheStoreLocation()
    {
        const QString first = store;
        QCOMPARE(put("SOFTWARE\\Where", "v", sz("first")), errorSuccess);
        Key key = 0;
        QCOMPARE(regOpenKey(hkeyLocalMachine, "SOFTWARE\\Where", &key), errorSuccess);

        useStore(dir.filePath(QStringLiteral("followsTheStoreLocation/second.db")));
        QCOMPARE(get("SOFTWARE\\Where", "v").status, errorFileNotFound);
        // A handle belongs to the store it was opened in.
        std::uint32_t size = 0;
        QCOMPARE(regQueryValue(key, "v", nullptr, nullptr, &size), errorInvalidHandle);
        QCOMPARE(put("SOFTWARE\\Where", "v", sz("second")), errorSuccess);

        useStore(first);
        QCOMPARE(get("SOFTWARE\\Where", "v").data, sz("first"));

        qunsetenv("TARNSTARTER_REGISTRY");
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
        QCOMPARE(put("SOFTWARE\\Where", "v", sz("xdg")), errorSuccess);
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("config/tarnstarter/registry.db"))));
    }

    void newStoreIsPrivate()
    {
        const mode_t saved = umask(0);
        useStore(dir.filePath(QStringLiteral("newStoreIsPrivate/a/b/registry.db")));
        const long status = put("SOFTWARE\\X", "v", sz("1"));
        umask(saved);
        QCOMPARE(status, errorSuccess);
        struct stat info;
        QCOMPARE(stat(store.toLocal8Bit().constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0600));
        QCOMPARE(
            stat(dir.filePath(QStringLiteral("newStoreIsPrivate/a/b")).toLocal8Bit().constData(),
                &info),
            0);
        QCOMPARE(info.st_mode & 0777, mode_t(0700));
    }

    void unusableFileIsLeftUntouched_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("random bytes") << 0;
        QTest::newRow("damaged database") << 1;
        QTest::newRow("database of another program") << 2;
    }

    void unusableFileIsLeftUntouched()
    {
        QFETCH(int, kind);
        QVERIFY(QDir().mkpath(QFileInfo(store).path()));
        QByteArray content(8192, 0);
        QRandomGenerator random(7);
        random.fillRange(reinterpret_cast<quint32 *>(content.data()), content.size() / 4);
        if (kind == 1)
            content.replace(0, 16, QByteArray("SQLite format 3\0", 16));
        if (kind == 2) {
            sqlite3 *db = nullptr;
            QCOMPARE(sqlite3_open(store.toLocal8Bit().constData(), &db), SQLITE_OK);
            QCOMPARE(sqlite3_exec(db, "CREATE TABLE notes(x); INSERT INTO notes VALUES('keep')",
                         nullptr, nullptr, nullptr),
                SQLITE_OK);
            sqlite3_close(db);
            content = fileBytes(store);
        } else {
            QFile file(store);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }

        StderrCapture capture;
        const Read read = get("SOFTWARE\\Quillon\\TarnLauncher", "Path");
        Key key = 0;
        const long created = regCreateKey(hkeyLocalMachine, "SOFTWARE\\Quillon", &key);
        const Bytes data = sz("x");
        const long set = regSetValue(hkeyLocalMachine, "v", regSz, data.data(), 2);
        RegWrite write;
        write.keyPath = "SOFTWARE";
        const long batch = regWriteBatch({write});
        const QString errors = capture.finish();

        QCOMPARE(read.status, errorFileNotFound);
        QVERIFY(created != errorSuccess);
        QVERIFY(set != errorSuccess);
        QVERIFY(batch != errorSuccess);
        QCOMPARE(fileBytes(store), content);
        QCOMPARE(errors.count('\n'), 1);
        QVERIFY2(errors.contains(store), qPrintable(errors));
    }

    void unwritableStoreIsNotUsed_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("folder cannot be made") << 0;
        QTest::newRow("read-only file") << 1;
        QTest::newRow("read-only folder") << 2;
    }

    void unwritableStoreIsNotUsed()
    {
        QFETCH(int, kind);
        const QString folder = QFileInfo(store).path();
        if (kind == 0) {
            // A plain file where the folder should be stops even root.
            QVERIFY(QDir().mkpath(QFileInfo(folder).path()));
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        } else {
            if (geteuid() == 0)
                QSKIP("file modes do not stop root");
            QCOMPARE(put("SOFTWARE\\Kept", "v", sz("1")), errorSuccess);
            const QString written = store;
            useStore(dir.filePath(QStringLiteral("elsewhere.db")));
            QCOMPARE(get("SOFTWARE\\Kept", "v").status, errorFileNotFound);
            chmod(QFile::encodeName(kind == 1 ? written : folder).constData(),
                kind == 1 ? 0400 : 0500);
            useStore(written);
        }
        const QByteArray before = fileBytes(store);

        StderrCapture capture;
        const Read read = get("SOFTWARE\\Kept", "v");
        const long written = put("SOFTWARE\\Kept", "v", sz("2"));
        const long again = put("SOFTWARE\\Other", "v", sz("2"));
        const QString errors = capture.finish();
        chmod(QFile::encodeName(folder).constData(), 0700);

        QCOMPARE(read.status, errorFileNotFound);
        QVERIFY(written != errorSuccess);
        QVERIFY(again != errorSuccess);
        QCOMPARE(fileBytes(store), before);
        QCOMPARE(errors.count('\n'), 1);
        QVERIFY2(errors.contains(store), qPrintable(errors));
    }

    void twoProcessesWritingAtOnceLoseNothing()
    {
        // Neither child finds a store: they also race to set it up.
        QProcess first;
        QProcess second;
        for (auto [process, prefix] : {std::pair {&first, "A"}, std::pair {&second, "B"}}) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("TARN_REGISTRY_WRITER"), QString::fromLatin1(prefix));
            process->setProcessEnvironment(environment);
            process->start(QCoreApplication::applicationFilePath(), {});
        }
        for (QProcess *process : {&first, &second}) {
            QVERIFY(process->waitForFinished(240000));
            QCOMPARE(process->exitStatus(), QProcess::NormalExit);
            QVERIFY2(process->exitCode() == 0, process->readAllStandardError().constData());
        }
        QCOMPARE(valueNames("SOFTWARE\\Load").size(), 2000);
        for (const char *prefix : {"A", "B"}) {
            for (int i = 1; i <= 1000; ++i) {
                const std::string name = std::string(prefix) + ' ' + std::to_string(i);
                QCOMPARE(get("SOFTWARE\\Load", name).data, sz(name));
            }
        }
    }
};

int main(int argc, char **argv)
{
    if (const char *prefix = std::getenv("TARN_REGISTRY_WRITER"))
        return writeValues(prefix);
    QCoreApplication app(argc, argv);
    RegistryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "registry_test.moc"
