#include "launch/configtext.h"
#include "store/settingsstore.h"
#include "store/textcodec.h"
#include "support/randomstore.h"
#include "support/rconclient.h"
#include "tarnctl.h"

#include <QProcess>
#include <QTest>

class TestTarnctlConfig : public QObject
{
    Q_OBJECT
private slots:
    void printMatchesGo();
    void writesLikeGo();
    void messagesAndOptions();
    void storeIsOnlyRead();
    void generatedPasswordNeedsAWritableStore();
    void registeredSpellingWins();
};

// What tarnctl prints from a store is, header aside, what "Go" writes from a
// window loaded from that store. The stores hold empty texts too, which read
// as the defaults.
void TestTarnctlConfig::printMatchesGo()
{
    QRandomGenerator random(20261207);
    for (int round = 0; round < 200; ++round) {
        TestStore store;
        GameFolder game;
        fillRandomStore(random, game, round);
        // tarnctl first: the window's start-up writes to the store.
        const Run run = runTarnctl({"config", "--print"});
        TarnStarter window;
        const LaunchForm form = window.launchForm();
        const QByteArray go = toWindows1252(configText(form, QDateTime::currentDateTime()));
        QCOMPARE(run.status, 0);
        QCOMPARE(withoutHeader(run.out), withoutHeader(go));
    }
}

void TestTarnctlConfig::writesLikeGo()
{
    TestStore store;
    GameFolder game;
    rEGpUT(hkeyLocalMachine, gameRegistrationKey, "Path", game.path());
    rEGpUT(hkeyLocalMachine, launcherKey, "UseMapList", "1");
    QVERIFY(putEntries(mapCycleKey, {"DM/QEVCON1", "DM/WOXCON1"}));
    const QString config = game.path("USER/Dedicated.cfg");
    writeFile(config, "previous");

    const Run printed = runTarnctl({"config", "--print"});
    QCOMPARE(printed.status, 0);
    QCOMPARE(readFile(config), QByteArray("previous"));
    QVERIFY(!QFile::exists(game.path("TarnStarter.map")));

    QCOMPARE(runTarnctl({"config"}).status, 0);
    QCOMPARE(withoutHeader(readFile(config)), withoutHeader(printed.out));
    QVERIFY(QFile::exists(game.path("TarnStarter.map")));

    // A map file that cannot be written does not stop the configuration,
    // but the command fails; an unusable game folder stops everything.
    const QByteArray written = readFile(config);
    QDir(game.path("USER/MAPLISTS")).removeRecursively();
    const Run noMapLists = runTarnctl({"config"});
    QCOMPARE(noMapLists.status, 1);
    QVERIFY(
        QByteArray(noMapLists.err).replace('\\', '/').contains("/USER/MAPLISTS/TarnStarter.lst"));
    QCOMPARE(readFile(game.path("USER/Dedicated.bak")), written);
    rEGpUT(hkeyLocalMachine, gameRegistrationKey, "Path", game.path("missing"));
    const Run missing = runTarnctl({"config"});
    QCOMPARE(missing.status, 1);
    QVERIFY(missing.err.contains("does not exist"));
    QVERIFY(!QFile::exists(game.path("missing")));
}

// Messages name host paths and say how to mend what is missing; options
// take what tarnctl itself prints, and only sensible values.
void TestTarnctlConfig::messagesAndOptions()
{
    TestStore store;
    rEGpUT(hkeyLocalMachine, launcherKey, "Host_Name", "Unregistered");
    const Run unregistered = runTarnctl({"config"});
    QCOMPARE(unregistered.status, 1);
    QVERIFY2(unregistered.err.contains("\n  tarnreg add \"HKLM\\SOFTWARE\\Microsoft\\Windows\\"
                                       "CurrentVersion\\App Paths\\tarn.exe\" /v Path /d FOLDER\n"),
        unregistered.err);
#ifdef Q_OS_WIN
    QSKIP("the rest names host paths, /dev/full and a script server, which are Linux's");
#endif

    // Without a USER folder nothing is written, so nothing may start.
    GameFolder game(GameFolder::Server::Script);
    QVERIFY(QDir(game.path("USER")).removeRecursively());
    rEGpUT(hkeyLocalMachine, gameRegistrationKey, "Path", game.path());
    rEGpUT(hkeyLocalMachine, launcherKey, "Server_Port", QString::number(freeUdpPort()));
    const Run start = runTarnctl({"start"});
    QCOMPARE(start.status, 1);
    QVERIFY2(start.err.contains(game.path().toUtf8() + "/USER/Dedicated.cfg could not be written"),
        start.err);
    QVERIFY(!QFile::exists(game.path("started")));

    for (const QStringList &wrong :
        {QStringList {"status", "--timeout", "0.05"}, QStringList {"status", "--timeout", "61"},
            QStringList {"start", "--foreground", "--wait", "5"}})
        QCOMPARE(runTarnctl(wrong).status, 2);
    const Run bracketed
        = runTarnctl({"rcon", "--host", "[::1]", "--port", "9", "--timeout", "0.1", "status"});
    QCOMPARE(bracketed.status, 3);
    QCOMPARE(bracketed.err, QByteArray("tarnctl: no answer from [::1]:9 within 0.1 s\n"));
    // Output that cannot be written is a failure.
    QCOMPARE(runTarnctl({"--help"}, 30000, "/dev/full").status, 1);
}

// A store that is not there is an error that names it, not the defaults;
// tarnctl makes neither it nor its folder.
void TestTarnctlConfig::storeIsOnlyRead()
{
    TestStore store;
    qputenv("TARNSTARTER_REGISTRY", QFile::encodeName(store.dir.filePath("typo/registry.db")));
    const Run run = runTarnctl({"config", "--print"});
    QVERIFY2(run.status == 1 && run.out.isEmpty() && run.err.contains("typo/registry.db"), run.err);
    QVERIFY(!QFileInfo::exists(store.dir.filePath("typo")));
}

// A blank password takes the one generated for the store: where none is
// kept and tarnctl cannot write the store, nothing is written or started.
void TestTarnctlConfig::generatedPasswordNeedsAWritableStore()
{
#ifdef Q_OS_WIN
    QSKIP("a store file is made unwritable with Linux's means");
#endif
    // On disk: a store in memory (TMPDIR) cannot be made immutable.
    QTemporaryDir onDisk(QDir::currentPath() + "/store-XXXXXX");
    const QString file = onDisk.filePath("registry.db");
    qputenv("TARNSTARTER_REGISTRY", QFile::encodeName(file));
    GameFolder game(GameFolder::Server::Script);
    rEGpUT(hkeyLocalMachine, gameRegistrationKey, "Path", game.path());
    QFile::setPermissions(file, QFile::ReadOwner);
    const bool root = QFile(file).open(QIODevice::WriteOnly | QIODevice::Append);
    if (root && QProcess::execute("chattr", {"+i", file}) != 0)
        QSKIP("no way to make the store unwritable here");
    const Run refused = runTarnctl({"start"});
    if (root)
        QProcess::execute("chattr", {"-i", file});
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(refused.status, 1);
    QVERIFY2(refused.err.contains("No remote-console password"), refused.err);
    QVERIFY(
        !QFile::exists(game.path("USER/Dedicated.cfg")) && !QFile::exists(game.path("started")));
}

// Of two folders that differ only in case, the one the game registered is
// written to, although the launcher keeps the folder upper-cased.
void TestTarnctlConfig::registeredSpellingWins()
{
#ifdef Q_OS_WIN
    QSKIP("names differ only in case where the file system keeps case");
#endif
    TestStore store;
    QTemporaryDir parent;
    for (const QString name : {"Tarn", "tarn"})
        QVERIFY(QDir(parent.path()).mkpath(name + "/USER/MAPLISTS"));
    rEGpUT(hkeyLocalMachine, gameRegistrationKey, "Path", parent.filePath("tarn"));
    QCOMPARE(runTarnctl({"config"}).status, 0);
    QVERIFY(QFile::exists(parent.filePath("tarn/USER/Dedicated.cfg")));
    QVERIFY(!QFile::exists(parent.filePath("Tarn/USER/Dedicated.cfg")));
}

QTEST_MAIN(TestTarnctlConfig)
#include "test_tarnctl_config.moc"
