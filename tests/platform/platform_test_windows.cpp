// What the platform layer does only on Windows: the system's registry, the
// short form of a path and a program started with its command line as given.

#include "platform/process.h"
#include "platform/winpath.h"
#include "platformtest.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <windows.h>

namespace {

constexpr const char *testKey = "Software\\TarnStarterTest";

// A value as a program that uses the wide calls reads it, in UTF-8.
std::string systemValue(const char *subKey, const char *name)
{
    wchar_t data[64] = {};
    DWORD size = sizeof data;
    const long status
        = RegGetValueW(HKEY_CURRENT_USER, QString(QString(testKey) + subKey).toStdWString().c_str(),
            QString(name).toStdWString().c_str(), RRF_RT_ANY, nullptr, data, &size);
    // The system ends what it hands out with a null.
    return status == ERROR_SUCCESS ? QString::fromWCharArray(data).toStdString() : missing;
}

class WindowsPlatformTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;

private slots:
    void init() { RegDeleteTreeA(HKEY_CURRENT_USER, testKey); }
    void cleanupTestCase() { RegDeleteTreeA(HKEY_CURRENT_USER, testKey); }

    void registryHiveRoundTrip()
    {
        // Without a store file named, the calls reach the system's registry.
        qunsetenv("TARNSTARTER_REGISTRY");
        Key key = 0;
        QCOMPARE(
            regCreateKey(hkeyCurrentUser, std::string(testKey) + "\\Sub\\", &key), errorSuccess);
        const std::string value = "C:\\Игры é";
        QCOMPARE(
            regSetValue(key, "Path", regSz, reinterpret_cast<const std::uint8_t *>(value.c_str()),
                std::uint32_t(value.size() + 1)),
            errorSuccess);
        QCOMPARE(systemValue("\\Sub", "Path"), value);
        std::uint32_t type = regNone;
        std::uint8_t data[4];
        std::uint32_t size = sizeof data;
        QCOMPARE(regQueryValue(key, "PATH", &type, data, &size), errorMoreData);
        QVERIFY(type == regSz && size == value.size() + 1);
        std::string name;
        QCOMPARE(regDeleteValue(key, "Path"), errorSuccess);
        QCOMPARE(regDeleteValue(key, "Path"), errorFileNotFound);
        QCOMPARE(regCloseKey(key), errorSuccess);
        QCOMPARE(regOpenKey(hkeyCurrentUser, testKey, &key), errorSuccess);
        QVERIFY(regEnumKey(key, 0, &name) == errorSuccess && name == "Sub");
        QCOMPARE(regCloseKey(key), errorSuccess);
    }

    void registryBatchPutsBackWhatItChanged()
    {
        qunsetenv("TARNSTARTER_REGISTRY");
        const auto write = [](const std::string &key, const std::string &name) {
            return RegWrite {
                hkeyCurrentUser, std::string(testKey) + key, !name.empty(), name, regSz, {'n', 0}};
        };
        QCOMPARE(regWriteBatch({write("\\Kept", "v")}), errorSuccess);
        QCOMPARE(systemValue("\\Kept", "v"), "n");
        // No value name is this long: the last write fails after the others.
        RegWrite changed = write("\\Kept", "v");
        changed.data = {'x', 0};
        QVERIFY(regWriteBatch({write("\\New\\Deeper", "w"), changed,
                    write("\\Kept", std::string(20000, 'v'))})
            != errorSuccess);
        QCOMPARE(systemValue("\\Kept", "v"), "n");
        QCOMPARE(systemValue("\\New\\Deeper", "w"), missing);
        QCOMPARE(systemValue("\\New", ""), missing);
    }

    void shortPathsAreTheSystemsShortNames()
    {
        const QString folder = dir.filePath("A Long Folder Name");
        QVERIFY(writeFile(folder + "/inside.cfg", {}));
        const QString shortForm = QString::fromStdString(shortPath(str(folder)));
        QVERIFY2(!shortForm.contains(' ') && QFile::exists(shortForm + "\\inside.cfg"),
            qPrintable(shortForm));
        QCOMPARE(shortPath(str(folder + "/missing")), std::string());
    }

    void programsGetTheirCommandLineAsGiven()
    {
        // The program is this test again, in a folder with blanks; it runs in
        // the folder of the original, where its libraries are.
        const QString program = dir.filePath("With Blanks/echo.exe");
        QVERIFY(QDir().mkpath(QFileInfo(program).path()));
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), program));
        const QString report = dir.filePath("report");
        qputenv("TARN_REGISTRY_CHILD", "echo");
        qputenv("TARN_ECHO_REPORT", QFile::encodeName(report));
        const QString folder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
        std::string error;
        const bool started = startDetached(str(QDir::toNativeSeparators(program)),
            "+set \"a b\" c\\\"d \"\"", str(folder), &error);
        qunsetenv("TARN_REGISTRY_CHILD");
        QVERIFY2(started && error.empty(), error.c_str());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(report).size() > 0, 20000);
        const QStringList lines = QString::fromLocal8Bit(readFile(report)).split('\n');
        QCOMPARE(lines.value(0), QDir::toNativeSeparators(program) + "|+set|a b|c\"d||");
        QCOMPARE(lines.value(1), folder);
        // A server starts minimized, in the background; a program the user
        // asked for opens as a normal window.
        QCOMPARE(lines.value(2).toInt(), SW_SHOWMINNOACTIVE);
        QFile::remove(report);
        qputenv("TARN_REGISTRY_CHILD", "echo");
        QVERIFY(startDetached(
            str(QDir::toNativeSeparators(program)), "", str(folder), &error, StartWindow::normal));
        qunsetenv("TARN_REGISTRY_CHILD");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(report).size() > 0, 20000);
        QCOMPARE(QString(readFile(report)).split('\n').value(2).toInt(), SW_SHOWNORMAL);
    }
};

} // namespace

std::string startupWindow()
{
    STARTUPINFOW startup = {};
    GetStartupInfoW(&startup);
    return std::to_string(startup.wShowWindow);
}

int runSystemTests(int argc, char **argv)
{
    WindowsPlatformTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "platform_test_windows.moc"
