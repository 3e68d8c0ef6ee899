// The settings in the Windows registry itself, as a user of 64-bit Windows
// meets them: the 32-bit view the original launcher used, text that does not
// depend on the machine's code page (this test also runs in a Russian and a
// Japanese Wine), and a standard user whom HKLM refuses.

#include "store/settingsstore.h"

#include <QProcess>
#include <QTest>

// sddl.h needs what windows.h declares.
#include <windows.h>

#include <sddl.h>

namespace {

const wchar_t *const ownKey = L"SOFTWARE\\Quillon\\TarnLauncher";
const wchar_t *const virtualKey
    = L"Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\WOW6432Node\\Quillon\\TarnLauncher";
const wchar_t *const appPathKey
    = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\tarn.exe";

void setSystemValue(
    HKEY root, const wchar_t *key, const wchar_t *name, const QString &text, REGSAM view = 0)
{
    HKEY opened = nullptr;
    QCOMPARE(
        RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &opened, nullptr),
        ERROR_SUCCESS);
    const std::wstring data = text.toStdWString();
    RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(data.c_str()),
        DWORD((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(opened);
}

// A value as a program that uses the wide calls reads it; "-" when missing.
QString systemValue(HKEY root, const wchar_t *key, const wchar_t *name, REGSAM view = 0)
{
    HKEY opened = nullptr;
    wchar_t data[300] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    const bool found = RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE | view, &opened) == ERROR_SUCCESS
        && RegQueryValueExW(opened, name, nullptr, nullptr, reinterpret_cast<BYTE *>(data), &size)
            == ERROR_SUCCESS;
    if (opened)
        RegCloseKey(opened);
    return found ? QString::fromWCharArray(data) : QStringLiteral("-");
}

void deleteTree(HKEY root, const wchar_t *parent, const wchar_t *child, REGSAM view = 0)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, parent, 0, KEY_ALL_ACCESS | view, &opened) == ERROR_SUCCESS) {
        RegDeleteTreeW(opened, child);
        RegCloseKey(opened);
    }
}

// While it lives, nobody may write to the key: Windows' answer to a
// standard user below HKLM, which Wine enforces for keys that say so.
class ReadOnlyKey
{
public:
    ReadOnlyKey(HKEY root, const wchar_t *path, REGSAM view = 0)
    {
        RegCreateKeyExW(
            root, path, 0, nullptr, 0, KEY_READ | WRITE_DAC | view, nullptr, &key, nullptr);
        allow(L"D:(A;;KR;;;WD)");
    }
    ~ReadOnlyKey()
    {
        allow(L"D:(A;;KA;;;WD)");
        RegCloseKey(key);
    }
    ReadOnlyKey(const ReadOnlyKey &) = delete;
    ReadOnlyKey &operator=(const ReadOnlyKey &) = delete;

private:
    void allow(const wchar_t *rights)
    {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        QVERIFY(ConvertStringSecurityDescriptorToSecurityDescriptorW(
            rights, SDDL_REVISION_1, &descriptor, nullptr));
        QCOMPARE(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
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
        deleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE", L"Quillon", KEY_WOW64_32KEY);
        deleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE", L"Quillon", KEY_WOW64_64KEY);
        deleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths",
            L"tarn.exe");
        deleteTree(HKEY_CURRENT_USER, L"Software", L"Quillon");
        deleteTree(HKEY_CURRENT_USER,
            L"Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\WOW6432Node", L"Quillon");
    }

    void textIsTheSameInEveryCodePage()
    {
        QVERIFY(rEGpUT(hkeyLocalMachine, launcherKey, "Host_Name", "Café €"));
        QCOMPARE(systemValue(HKEY_LOCAL_MACHINE, ownKey, L"Host_Name", KEY_WOW64_32KEY), "Café €");
        // As the game's installer registers its folder.
        setSystemValue(HKEY_LOCAL_MACHINE, appPathKey, L"Path", "C:\\Spiele\\Tarn é");
        QCOMPARE(RegGet(hkeyLocalMachine, gameRegistrationKey, "Path"), "C:\\Spiele\\Tarn é");
    }

    void theOwnKeyIsThe32BitOneRegExeWrites()
    {
        QProcess reg;
        reg.start("reg.exe",
            {"add", "HKLM\\SOFTWARE\\Quillon\\TarnLauncher", "/v", "Frag_Limit", "/d", "Tür 7",
                "/reg:32", "/f"});
        QVERIFY(reg.waitForFinished(60000) && reg.exitCode() == 0);
        QCOMPARE(RegGet(hkeyLocalMachine, launcherKey, "Frag_Limit"), "Tür 7");
        // tarnreg chooses the view as reg.exe does.
        for (const auto &[view, code] : {std::pair("/reg:32", 0), {"/reg:64", 1}}) {
            QProcess tarnreg;
            tarnreg.start(qEnvironmentVariable("TARN_TOOLS_DIR") + "/tarnreg/tarnreg",
                {"query", "HKLM\\SOFTWARE\\Quillon\\TarnLauncher", "/v", "Frag_Limit", view});
            QVERIFY(tarnreg.waitForFinished(60000));
            QCOMPARE(tarnreg.exitCode(), code);
            QCOMPARE(tarnreg.readAllStandardOutput().contains("Tür 7"), code == 0);
        }
    }

    void aStandardUserKeepsSettingsPerUser()
    {
        int reports = 0;
        QString said;
        setStoreWriteFailureHandler([&](const QString &reason) {
            ++reports;
            said = reason;
        });
        setSystemValue(HKEY_LOCAL_MACHINE, ownKey, L"Map_Name", "dm/machine", KEY_WOW64_32KEY);
        // What Windows kept of the original launcher's writes for this user.
        setSystemValue(HKEY_CURRENT_USER, virtualKey, L"Game_Type", "3");
        {
            const ReadOnlyKey machine(HKEY_LOCAL_MACHINE, ownKey, KEY_WOW64_32KEY);
            QCOMPARE(RegGet(hkeyLocalMachine, launcherKey, "Map_Name"), "dm/machine");
            QCOMPARE(RegGet(hkeyLocalMachine, launcherKey, "Game_Type"), "3");
            QVERIFY(rEGpUT(hkeyLocalMachine, launcherKey, "Game_Type", "5"));
            QCOMPARE(systemValue(HKEY_CURRENT_USER, ownKey, L"Game_Type"), "5");
            QCOMPARE(RegGet(hkeyLocalMachine, launcherKey, "Game_Type"), "5");
            QCOMPARE(reports, 0);
            const ReadOnlyKey user(HKEY_CURRENT_USER, ownKey);
            QVERIFY(!rEGpUT(hkeyLocalMachine, launcherKey, "Game_Type", "6"));
            QVERIFY2(reports == 1 && said.contains("access is denied"), qPrintable(said));
        }
        // Once the machine takes the write, the per-user copies go, so that
        // what was written is what is read.
        QVERIFY(rEGpUT(hkeyLocalMachine, launcherKey, "Game_Type", "7"));
        QCOMPARE(RegGet(hkeyLocalMachine, launcherKey, "Game_Type"), "7");
        QCOMPARE(systemValue(HKEY_CURRENT_USER, ownKey, L"Game_Type"), "-");
        setStoreWriteFailureHandler({});
    }
};

QTEST_GUILESS_MAIN(TestSystemRegistry)
#include "test_settingsstore_windows.moc"
