#include "launch/configfiles.h"
#include "launch/configtext.h"
#include "store/settingsstore.h"
#include "store/textcodec.h"
#include "support/gui.h"
#include "support/lists.h"

#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {

QByteArray golden(const QString &name)
{
    const QByteArray bytes = readFile(qEnvironmentVariable("TARN_TEST_DATA") + "/config/" + name);
    if (bytes.isEmpty())
        qFatal("missing golden file %s", qPrintable(name));
    return bytes;
}

class Window : public MainWindow
{
public:
    // A blank remote-console password gives the one kept in the store.
    Window() { rEGpUT(hkeyLocalMachine, launcherKey, "rcon_pw_generated", "G3neratedForTests"); }
    // The configuration and the map files as "Go" makes them, at a fixed
    // moment.
    QByteArray configuration() const
    {
        const LaunchForm form = window->launchForm();
        const QDateTime pressed(QDate(1999, 12, 31), QTime(23, 59, 59));
        window->launchFrom(form, pressed, false);
        return toWindows1252(configText(form, pressed));
    }
    void putInCycle(const QString &map) const
    {
        clickRow(get<QAbstractItemView>("List1"), map);
        click("Command2");
    }
};

} // namespace

class TestConfigWriter : public QObject
{
    Q_OBJECT
private slots:
    void init() { answered.texts.clear(); }

    void goldenFiles();
    void everyOptionalLine();
    void mapCycle();
    void configurationModeAndBackup();

private:
    AnsweredMessages answered;
    QStringList &messages = answered.texts;
};

void TestConfigWriter::goldenFiles()
{
    {
        Window w;
        w.open();
        QCOMPARE(w.configuration(), golden("defaults.cfg"));
        w.text("Text15")->setText("a");
        w.text("Text16")->setText("b");
        QCOMPARE(w.configuration(), golden("short-passwords.cfg"));
        // Two characters are enough for both.
        w.text("Text15")->setText("ab");
        w.text("Text16")->setText("cd");
        QVERIFY(w.configuration().contains("\r\nset password ab\r\nset rcon_password cd\r\n"));
        w.text("Text2")->setText(QStringLiteral("My \"best\" café €5 中"));
        w.text("Text3")->setText(QStringLiteral("Say \"hi\" – naïve"));
        w.text("Text15")->clear();
        w.text("Text16")->clear();
        QCOMPARE(w.configuration(), golden("quotes-and-accents.cfg"));
    }
    Window w;
    w.open();
    for (QLineEdit *box : w.window->findChildren<QLineEdit *>())
        box->clear();
    w.get<QAbstractItemView>("List1")->clearSelection();
    QCOMPARE(w.configuration(), golden("empty-boxes.cfg"));
}

void TestConfigWriter::everyOptionalLine()
{
    Window w;
    rEGpUT(hkeyLocalMachine, customCommandsKey, " 1", "set sv_a 1");
    rEGpUT(hkeyLocalMachine, customCommandsKey, " 2", "x");
    rEGpUT(hkeyLocalMachine, customCommandsKey, " 3", "set sv_b \"two words\"");
    rEGpUT(hkeyLocalMachine, customCommandsKey, " 5", "set sv_never 1");
    w.open();
    w.get<QRadioButton>("Option1_3")->click();
    for (const char *box : {"Check17", "Check18", "Check20", "Check21", "Check25", "Check26",
             "Check27", "Check28", "Check29", "Check30"})
        w.check(box)->setChecked(true);
    w.text("Text15")->setText("joinme");
    w.text("Text16")->setText("admin1");
    QCOMPARE(w.configuration(), golden("every-option.cfg"));
}

void TestConfigWriter::mapCycle()
{
    Window w;
    QTemporaryDir games;
    QVERIFY(QDir().mkpath(games.filePath("user/maplists")));
    w.open();
    w.text("Text1")->setText(games.path());
    w.window->BuildList();
    w.putInCycle("DM/QEVCON1");

    // Enabled but not ticked: the start map alone, and no file is touched.
    QVERIFY(w.configuration().endsWith("\r\nmap dm/qevcon1"));
    QVERIFY(!QFile::exists(games.filePath("TarnStarter.map")));

    w.putInCycle("DM/WOXCON1");
    clickRow(w.get<QAbstractItemView>("List1"), "DM/MARLOW");
    w.check("Check22")->setChecked(true);
    QCOMPARE(w.configuration(), golden("cycle.cfg"));
    QCOMPARE(readFile(games.filePath("user/maplists/TarnStarter.lst")), golden("cycle.lst"));
    QCOMPARE(readFile(games.filePath("TarnStarter.map")), golden("cycle.map"));
    // A one-letter name, as the store may hold one, stays out of the list file.
    QCOMPARE(mapCycleFile({"Q", "DM/X"}), QByteArray("DM/X        \"Killem' All...\"\r\n"));

    // Without the map-list folder the operator is told, the configuration
    // still names the list and the cycle file is not written.
    QFile::remove(games.filePath("TarnStarter.map"));
    QVERIFY(QDir(games.filePath("user/maplists")).removeRecursively());
    QVERIFY(w.configuration().contains("\r\nset sv_maplistfile \"TarnStarter\"\r\n"));
    QCOMPARE(messages,
        QStringList("Error Writing to Maplist|Error writing to " + games.path().toUpper()
            + "\\USER\\MAPLISTS\\TarnStarter.lst\r\nTry creating directory manually."));
    QVERIFY(!QFile::exists(games.filePath("TarnStarter.map")));

    // Ticked but cleared, so disabled: the start map again.
    messages.clear();
    w.click("Command6");
    QVERIFY(w.configuration().endsWith("\r\nmap dm/marlow"));
    QVERIFY(!QFile::exists(games.filePath("TarnStarter.map")));
    QVERIFY(messages.isEmpty());
}

// The backup holds the password too, so it keeps the configuration's mode; a
// new configuration is for owner and group, whatever the mask; one that
// cannot be read costs nothing of the backup.
void TestConfigWriter::configurationModeAndBackup()
{
#ifdef Q_OS_WIN
    QSKIP("file modes are those of POSIX systems");
#else
    QTemporaryDir game;
    const QByteArray config = QFile::encodeName(game.filePath("USER/Dedicated.cfg"));
    const auto mode = [](const QByteArray &path) {
        struct stat info;
        return stat(path.constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
    };
    QVERIFY(QDir(game.path()).mkpath("USER"));
    const mode_t savedMask = umask(0);
    QString failures = writeConfiguration(game.path(), game.path(), "first");
    const int created = mode(config);
    chmod(config.constData(), 0600);
    failures += writeConfiguration(game.path(), game.path(), "second");
    failures += writeConfiguration(game.path(), game.path(), "third");
    umask(savedMask);
    QVERIFY(failures.isEmpty() && created == 0640 && mode(config) == 0600);
    QCOMPARE(mode(config.chopped(3) + "bak"), 0600);

    QVERIFY(QFile::remove(config) && QDir().mkpath(config));
    QVERIFY(writeConfiguration(game.path(), game.path(), "x").contains("could not be read"));
    QCOMPARE(readFile(game.filePath("USER/Dedicated.bak")), QByteArray("second"));
#endif
}

QTEST_MAIN(TestConfigWriter)
#include "test_configwriter.moc"
