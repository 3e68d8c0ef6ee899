#include "store/settingsstore.h"
#include "support/gui.h"
#include "support/lists.h"

#include <QListWidget>
#include <QRadioButton>
#include <QTest>

namespace {

// The settings as the store keeps them: value name, the control that shows
// it, and a text in the stored form that differs from the default.
const char *const storedSettings[][3] = {
    {"Frag_Limit", "Text4", "15"},
    {"Time_Limit", "Text6", "20"},
    {"Max_Clients", "Text7", "8"},
    {"Max_Spec", "Text8", "3"},
    {"Control_Limit", "Text10", "9"},
    {"CTF_Loops", "Text9", "7"},
    {"Host_Name", "Text2", "My box"},
    {"Welcome_Mess", "Text3", "Hello"},
    {"Server_Port", "Text5", "27960"},
    {"svsuicidepenalty", "Text12", "5"},
    {"gmovescale", "Text11", "1.5"},
    {"svreconnectlimit", "Text13", "6"},
    {"sv_gravity", "Text14", "400"},
    {"password", "Text15", "secret"},
    {"rcon_pw", "Text16", "admin"},
    {"Cheats_ONOFF", "Check18", " 1"},
    {"Public_Server", "Check17", " 1"},
    {"launchlist", "Check23", " 1"},
    {"ReduceLag", "Check25", " 1"},
    {"UseMapList", "Check22", " 1"},
    {"allowuploads", "Check20", "1"},
    {"allowdownloads", "Check21", "1"},
    {"UseOther", "Check26", "1"},
    {"Developer", "Check27", "1"},
    {"VerboseNet", "Check28", "1"},
    {"LogConsole", "Check29", "1"},
    {"LogStats", "Check30", "1"},
};

QString stored(const QString &name)
{
    return RegGet(hkeyLocalMachine, launcherKey, name);
}

QString selectedMap(const MainWindow &w)
{
    return selectedRow(w.get<QAbstractItemView>("List1"));
}

QString shown(const MainWindow &w, const char *control)
{
    if (QCheckBox *box = w.check(control))
        return QString::number(int(box->checkState()) / 2);
    return w.text(control)->text();
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
private slots:
    void firstStartShowsTheDefaults();
    void exitKeepsEverythingAndTheCloseBoxOnlyWhatSavesItself();
    void storedFormsOfValues_data();
    void storedFormsOfValues();
    void startMapAndOldConfiguration();
};

void TestSettings::firstStartShowsTheDefaults()
{
    MainWindow w;
    w.open();
    // The other boxes' defaults show in the configuration's golden file.
    QCOMPARE(w.text("Text5")->text(), QStringLiteral("28910"));
    QVERIFY(w.get<QRadioButton>("Option1_0")->isChecked());
    for (QCheckBox *box : w.window->findChildren<QCheckBox *>())
        QCOMPARE(box->isChecked(), box->objectName() == QLatin1String("Check19"));
    QCOMPARE(selectedMap(w), QStringLiteral("DM/MARLOW"));

    // Empty boxes are stored empty, empty passwords as "x"; both read back
    // as the default. The boxes take 254 characters at most.
    w.text("Text4")->clear();
    w.text("Text15")->setText("x");
    w.text("Text3")->setFocus();
    w.text("Text3")->selectAll();
    QTest::keyClicks(w.text("Text3"), QString(300, 'w'));
    QCOMPARE(w.text("Text3")->text().size(), 254);
    w.click("Command3");
    QCOMPARE(stored("Frag_Limit"), QString());
    QCOMPARE(stored("password"), QStringLiteral("x"));
    QCOMPARE(stored("rcon_pw"), QStringLiteral("x"));
    w.open();
    QCOMPARE(w.text("Text4")->text(), QStringLiteral("30"));
    QCOMPARE(w.text("Text15")->text(), QString());
}

void TestSettings::exitKeepsEverythingAndTheCloseBoxOnlyWhatSavesItself()
{
    MainWindow w;
    for (const auto &[name, control, value] : storedSettings)
        rEGpUT(hkeyLocalMachine, launcherKey, name, value);
    rEGpUT(hkeyLocalMachine, launcherKey, "Game_Type", "6");
    for (int number = 1; number <= 16; number += 3)
        rEGpUT(hkeyLocalMachine, dmFlagsKey, numberedEntryName(number), " 1");
    rEGpUT(hkeyLocalMachine, launcherKey, "Default_Map", "dm/qevctb1");
    w.open();
    for (const auto &[name, control, value] : storedSettings)
        QCOMPARE(shown(w, control), QString(value).trimmed());
    QVERIFY(w.get<QRadioButton>("Option1_6")->isChecked());
    for (int number = 1; number <= 16; ++number)
        QCOMPARE(w.check(qPrintable(QStringLiteral("Check%1").arg(number)))->isChecked(),
            number % 3 == 1);
    QCOMPARE(selectedMap(w), QStringLiteral("DM/QEVCTB1"));

    // "Exit" writes everything back in the form it was read in; the boxes
    // that save themselves on every change are not saved again.
    const QStringList selfSaving {"UseOther", "Developer", "VerboseNet", "LogConsole", "LogStats"};
    for (const auto &[name, control, value] : storedSettings) {
        if (!selfSaving.contains(name))
            rEGpUT(hkeyLocalMachine, launcherKey, name, "");
    }
    w.click("Command3");
    for (const auto &[name, control, value] : storedSettings)
        QCOMPARE(stored(name), QString::fromLatin1(value));
    QCOMPARE(stored("Game_Type"), QStringLiteral("6"));
    QCOMPARE(RegGet(hkeyLocalMachine, dmFlagsKey, " 4"), QStringLiteral(" 1"));
    QCOMPARE(RegGet(hkeyLocalMachine, dmFlagsKey, " 5"), QStringLiteral(" 0"));
    QCOMPARE(stored("Default_Map"), QStringLiteral("DM/QEVCTB1"));

    // Changes followed by the close box: only the boxes that save
    // themselves and the map cycle survive.
    w.open();
    w.text("Text4")->setText("99");
    w.check("Check17")->setChecked(false);
    w.check("Check27")->setChecked(false);
    clickRow(w.get<QAbstractItemView>("List1"), "DM/MARLOW");
    w.click("Command2");
    w.window->close();
    w.open();
    QCOMPARE(w.text("Text4")->text(), QStringLiteral("15"));
    QVERIFY(w.check("Check17")->isChecked() && !w.check("Check27")->isChecked());
    QCOMPARE(stored("Developer"), QStringLiteral("0"));
    QCOMPARE(w.get<QListWidget>("List2")->count(), 1);
}

void TestSettings::storedFormsOfValues_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("gameType");
    QTest::newRow("plain") << "1" << int(Qt::Checked) << 1;
    QTest::newRow("blank") << " 1" << int(Qt::Checked) << 1;
    QTest::newRow("empty") << "" << int(Qt::Unchecked) << 0;
    QTest::newRow("zero") << " 0" << int(Qt::Unchecked) << 0;
    QTest::newRow("grayed") << "2" << int(Qt::PartiallyChecked) << 2;
    QTest::newRow("minus one") << "-1" << int(Qt::Checked) << 0;
    QTest::newRow("five") << "5" << int(Qt::Checked) << 5;
    QTest::newRow("realistic") << "4" << int(Qt::Checked) << 4;
    QTest::newRow("too large") << "9" << int(Qt::Checked) << 0;
    QTest::newRow("word") << "yes" << int(Qt::Unchecked) << 0;
}

// A check value, or a game type, as stored by hand or by older versions.
void TestSettings::storedFormsOfValues()
{
    QFETCH(QString, value);
    QFETCH(int, state);
    QFETCH(int, gameType);
    MainWindow w;
    for (const char *name : {"Public_Server", "Developer", "Game_Type"})
        rEGpUT(hkeyLocalMachine, launcherKey, name, value);
    rEGpUT(hkeyLocalMachine, dmFlagsKey, " 3", value);
    // The stored flags win over what the game type set, even on boxes the
    // game type disabled.
    rEGpUT(hkeyLocalMachine, dmFlagsKey, " 1", " 1");
    rEGpUT(hkeyLocalMachine, dmFlagsKey, " 5", " 0");
    w.open();
    for (const char *name : {"Check17", "Check27", "Check3"})
        QCOMPARE(int(w.check(name)->checkState()), state);
    QVERIFY(
        w.get<QRadioButton>(qPrintable(QStringLiteral("Option1_%1").arg(gameType)))->isChecked());
    QCOMPARE(w.get("Text10")->isEnabled(), gameType == 5);
    QCOMPARE(w.get("Text9")->isEnabled(), gameType == 3);
    QCOMPARE(w.get("Check1")->isEnabled(), gameType != 4);
    QVERIFY(w.check("Check1")->isChecked() && !w.check("Check5")->isChecked());
    // Saved back as read: a grayed box as grayed.
    w.window->SaveSettings();
    QCOMPARE(RegGet(hkeyLocalMachine, dmFlagsKey, " 3"), " " + QStringList({"0", "2", "1"})[state]);

    // A grayed box shows grayed, but clicks only check and clear it.
    for (int click = 0; click < 3; ++click) {
        QTest::mouseClick(w.check("Check17"), Qt::LeftButton);
        QVERIFY(w.check("Check17")->checkState() != Qt::PartiallyChecked);
    }
}

void TestSettings::startMapAndOldConfiguration()
{
    MainWindow w;
    QTemporaryDir games;
    const QString folder = games.filePath("TARN");
    QVERIFY(writeFile(folder + "TarnStarter.cfg", {}));
    QVERIFY(writeFile(folder + "/TarnStarter.cfg", {}));
    w.open();
    w.text("Text1")->setText(folder);
    w.get<QAbstractItemView>("List1")->clearSelection();
    w.click("Command3");
    QCOMPARE(stored("Default_Map"), QStringLiteral("dm/marlow"));
    // Older versions left a file named without a separator after the game
    // folder; the save removes it, and only it.
    QVERIFY(!QFile::exists(folder + "TarnStarter.cfg"));
    QVERIFY(QFile::exists(folder + "/TarnStarter.cfg"));
    QCOMPARE(stored("Game_Loc"), folder);
    w.open();
    QCOMPARE(selectedMap(w), QStringLiteral("DM/MARLOW"));
    rEGpUT(hkeyLocalMachine, launcherKey, "Default_Map", "dm/NoSuchMap");
    w.open();
    QCOMPARE(selectedMap(w), QString());
}

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
