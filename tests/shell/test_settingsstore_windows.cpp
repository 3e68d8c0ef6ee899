// The settings in the Windows registry itself, as a user of 64-bit Windows
// meets them: the 32-bit view the original launcher used, text that does not
// depend on the machine's code page (this test also runs in a Russian and a
// Japanese Wine), and a standard user whom HKLM refuses.

#include "store/settingsstore.h"
#include "support/toolpath.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// sddl.h needs what windows.h declares.
#include <windows.h>

#include <sddl.h>

namespace {

const QString ownKey = "SOFTWARE\\Quillon\\TarnLauncher";
const wchar_t *const ownKeyW = L"SOFTWARE\\Quillon\\TarnLauncher";

// A program's exit code and output: Windows' own reg.exe (as an installer or
// an operator runs it) or tarnreg.
int run(QStringList arguments, QByteArray *output = nullptr)
{
    QProcess process;
    const QString program = arguments.takeFirst();
    process.start(program, program == "reg.exe" ? arguments << "/f" : arguments);
    process.waitForFinished(60000);
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitCode();
}

// A value as a program that uses the wide calls reads it; "-" when missing.
QString systemValue(HKEY root, const wchar_t *key, const wchar_t *name, DWORD view = 0)
{
    wchar_t data[300] = {};
    DWORD size = sizeof data;
    return RegGetValueW(root, key, name, RRF_RT_REG_SZ | view, nullptr, data, &size)
            == ERROR_SUCCESS
        ? QString::fromWCharArray(data)
        : QStringLiteral("-");
}

// While it lives nobody may write to the key, as Windows refuses a standard
// user below HKLM; Wine enforces the rights a key carries.
class ReadOnlyKey
{
public:
    ReadOnlyKey(HKEY root, const wchar_t *path, REGSAM view = 0)
    {
        RegOpenKeyExW(root, path, 0, KEY_READ | WRITE_DAC | view, &key);
        allow(L"D:(A;;KR;;;WD)");
    }
    ~ReadOnlyKey()
    {
        allow(L"D:(A;;KA;;;WD)");
        RegCloseKey(key);
    }

private:
    void allow(const wchar_t *rights)
    {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ConvertStringSecurityDescriptorToSecurityDescriptorW(
            rights, SDDL_REVISION_1, &descriptor, nullptr);
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
        LocalFree(descriptor);
    }

    HKEY key = nullptr;
};

} // namespace

class TestSystemRegistry : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        qunsetenv("TARNSTARTER_REGISTRY");
        cleanupTestCase();
    }

    void cleanupTestCase()
    {
        for (const QString &key : QStringList {"HKLM\\SOFTWARE\\Quillon /reg:32",
                 "HKLM\\SOFTWARE\\Quillon", "HKCU\\Software\\Quillon",
                 "HKCU\\Software\\Classes\\VirtualStore", "HKLM\\" + gameRegistrationKey})
            run(QStringList {"reg.exe", "delete"} + key.split(' '));
    }

    void textIsTheSameInEveryCodePage()
    {
        QVERIFY(rEGpUT(hkeyLocalMachine, launcherKey, "Host_Name", "Café €"));
        QCOMPARE(systemValue(HKEY_LOCAL_MACHINE, ownKeyW, L"Host_Name", RRF_SUBKEY_WOW6432KEY),
            "Café €");
        // As the game's installer registers its folder.
        QCOMPARE(run({"reg.exe", "add", "HKLM\\" + gameRegistrationKey, "/v", "Path", "/d",
                     "C:\\Spiele é"}),
            0);
        QCOMPARE(RegGet(hkeyLocalMachine, gameRegistrationKey, "Path"), "C:\\Spiele é");
    }

    // Text that no single-byte code page holds, as the game's installer
    // registers it and as an operator types it.
    void textOutsideTheCodePageSurvives()
    {
        QTemporaryDir dir;
        const QString folder = QDir::toNativeSeparators(dir.filePath("Игры ゲーム\\Tarn"));
        QVERIFY(QDir().mkpath(folder + "\\USER\\MAPLISTS"));
        QCOMPARE(
            run({"reg.exe", "add", "HKLM\\" + gameRegistrationKey, "/v", "Path", "/d", folder}), 0);
        QCOMPARE(RegGet(hkeyLocalMachine, gameRegistrationKey, "Path"), folder);
        QCOMPARE(run({qEnvironmentVariable("TARN_TOOLS_DIR") + "/tarnctl/tarnctl", "config"}), 0);
        QVERIFY(QFile::exists(folder + "\\USER\\Dedicated.cfg"));

        const QString name = "Сервер 東京 😀";
        QVERIFY(rEGpUT(hkeyLocalMachine, launcherKey + "\\Ключ", "Имя", name));
        QCOMPARE(systemValue(HKEY_LOCAL_MACHINE, (std::wstring(ownKeyW) + L"\\Ключ").c_str(),
                     L"Имя", RRF_SUBKEY_WOW6432KEY),
            name);
        QCOMPARE(RegGet(hkeyLocalMachine, launcherKey + "\\Ключ", "Имя"), name);
        const QString tarnreg = qEnvironmentVariable("TARN_TOOLS_DIR") + "/tarnreg/tarnreg";
        const QString key = "HKLM\\" + ownKey + "\\Ключ";
        QByteArray shown;
        QCOMPARE(run({tarnreg, "query", key, "/reg:32"}, &shown), 0);
        QVERIFY2(shown.contains("Имя    REG_SZ    " + name.toUtf8()), shown);
        // An export keeps it, in the registry editor's UTF-16 format.
        const QString file = dir.filePath("Ключ.reg");
        QCOMPARE(run({tarnreg, "export", key, file, "/reg:32"}), 0);
        QCOMPARE(run({"reg.exe", "delete", key, "/reg:32"}), 0);
        QCOMPARE(run({tarnreg, "import", file, "/reg:32"}), 0);
        QCOMPARE(RegGet(hkeyLocalMachine, launcherKey + "\\Ключ", "Имя"), name);
    }

    void theOwnKeyIsThe32BitOneRegExeWrites()
    {
        QCOMPARE(run({"reg.exe", "add", "HKLM\\" + ownKey, "/v", "Frag_Limit", "/d", "Tür 7",
                     "/reg:32"}),
            0);
        QCOMPARE(RegGet(hkeyLocalMachine, launcherKey, "Frag_Limit"), "Tür 7");
        // tarnreg chooses the view as reg.exe does.
        const QStringList query
            = {toolPath("tarnreg"), "query", "HKLM\\" + ownKey, "/v", "Frag_Limit"};
        QByteArray shown;
        QVERIFY(run(query + QStringList {"/reg:32"}, &shown) == 0 && shown.contains("Tür 7"));
        QCOMPARE(run(query + QStringList {"/reg:64"}), 1);
    }

    void aStandardUserKeepsSettingsPerUser()
    {
        QStringList said;
        setStoreWriteFailureHandler([&](const QString &reason) { said << reason; });
        run({"reg.exe", "add", "HKLM\\" + ownKey, "/v", "Map_Name", "/d", "dm/machine", "/reg:32"});
        // What Windows kept of the original launcher's writes for this user.
        run({"reg.exe", "add",
            "HKCU\\Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\WOW6432Node\\Quillon"
            "\\TarnLauncher",
            "/v", "Game_Type", "/d", "3"});
        {
            const ReadOnlyKey machine(HKEY_LOCAL_MACHINE, ownKeyW, KEY_WOW64_32KEY);
            QCOMPARE(RegGet(hkeyLocalMachine, launcherKey, "Map_Name"), "dm/machine");
            QCOMPARE(RegGet(hkeyLocalMachine, launcherKey, "Game_Type"), "3");
            QVERIFY(rEGpUT(hkeyLocalMachine, launcherKey, "Game_Type", "5"));
            QCOMPARE(systemValue(HKEY_CURRENT_USER, ownKeyW, L"Game_Type"), "5");
            QCOMPARE(RegGet(hkeyLocalMachine, launcherKey, "Game_Type"), "5");
            const ReadOnlyKey user(HKEY_CURRENT_USER, ownKeyW);
            QVERIFY(!rEGpUT(hkeyLocalMachine, launcherKey, "Game_Type", "6"));
            QCOMPARE(said.size(), 1);
            QVERIFY2(said[0].contains("access is denied"), qPrintable(said[0]));
        }
        // Once the machine takes the write, the per-user copies go, so that
        // what was written is what is read.
        QVERIFY(rEGpUT(hkeyLocalMachine, launcherKey, "Game_Type", "7"));
        QCOMPARE(RegGet(hkeyLocalMachine, launcherKey, "Game_Type"), "7");
        setStoreWriteFailureHandler({});
    }
};

QTEST_GUILESS_MAIN(TestSystemRegistry)
#include "test_settingsstore_windows.moc"
