// The Map List step and its two dialogs: where the available maps come from,
// how the map cycle is stored, the custom map names and the custom lines.

#include "support/gui.h"
#include "support/lists.h"

#include <QLabel>
#include <QTest>

namespace {

// Entries 1 to count of a numbered list as stored.
QStringList entries(const QString &key, int count)
{
    QStringList texts;
    for (int number = 1; number <= count; ++number)
        texts.append(RegGet(hkeyLocalMachine, key, numberedEntryName(number)));
    return texts;
}

void press(const QWidget *window, const char *button)
{
    window->findChild<QAbstractButton *>(QLatin1String(button))->click();
}

class MapStep : public MainWindow
{
public:
    QAbstractItemView *available() const { return get<QAbstractItemView>("List1"); }
    QAbstractItemView *cycle() const { return get<QAbstractItemView>("List2"); }
    QString label(const char *name) const { return get<QLabel>(name)->text(); }
    void refresh(const QString &folder) const
    {
        text("Text1")->setText(folder);
        click("Command4");
    }
    void add(const QString &map) const
    {
        clickRow(available(), map);
        click("Command2");
    }
    // Opens a dialog anew: one closed before is deleted first, as the event
    // loop does between two clicks.
    QWidget *dialog(const char *button, const char *name) const
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        click(button);
        return openWindow(QLatin1String(name));
    }
};

} // namespace

class TestMaps : public QObject
{
    Q_OBJECT
private slots:
    void availableMapsFromAllSources();
    void mapCycleIsWrittenThrough();
    void customMapJoinsTheAvailableMaps();
    void customLinesKeepTheirEntryNumbers();
};

void TestMaps::availableMapsFromAllSources()
{
    MapStep w;
    GameFolder game;
    w.open();
    QCOMPARE(selectedRow(w.available()), QStringLiteral("DM/MARLOW"));
    w.refresh(game.path());
    // Refreshing drops the start-map selection.
    QCOMPARE(selectedRow(w.available()), QString());
    QCOMPARE(w.label("Label13"), QStringLiteral("26 Maps Listed"));
    QCOMPARE(w.label("Label17"), QStringLiteral("0 Maps to cycle"));
    QVERIFY(w.check("Check22")->isEnabled());

    // The map pack counts only under its exact name, where the file system
    // tells names apart by case.
    QVERIFY(writeFile(game.path("base/MAPPACK.PAK"), {}));
    w.refresh(game.path());
    const bool caseBlind = QFile::exists(game.path("BASE/mappack.pak"));
    QCOMPARE(w.label("Label13"), caseBlind ? "31 Maps Listed" : "26 Maps Listed");
    QVERIFY(QDir().rename(game.path("base"), game.path("BASE")));
    QVERIFY(QFile::rename(game.path("BASE/MAPPACK.PAK"), game.path("BASE/mappack.pak")));
    w.refresh(game.path());
    QCOMPARE(w.label("Label13"), QStringLiteral("31 Maps Listed"));

    QVERIFY(putEntries(customMapsKey, {"dm/mine", "x", "", "dm/unread"}));
    QVERIFY(putEntries(mapCycleKey, {"dm/arena1", "x", "dm/arena2"}));
    for (const char *file : {"Arena1.bsp", "dm/Arena1.BSP", "dm/qevcon1.bsp", "dm/.hidden.bsp",
             "dm/.bsp", "dm/notes.txt", "dm/sub/deep.bsp", "dm/folder.bsp/x"})
        QVERIFY(writeFile(game.path("USER/maps/") + file, {}));
    // The folder is typed upper-case, as the game's registration gives it.
    w.refresh(game.path().toUpper());
    const QStringList listed = shownRows(w.available());
    QCOMPARE(w.label("Label13"), QStringLiteral("37 Maps Listed"));
    for (const char *map :
        {"DM/MINE", "X", "dm/arena1", "arena1", "DM/QEVCON1", "dm/qevcon1", "dm/.hidden"})
        QVERIFY2(listed.contains(map), map);
    for (int row = 1; row < listed.size(); ++row)
        QVERIFY(listed[row - 1].compare(listed[row], Qt::CaseInsensitive) <= 0);
    QCOMPARE(shownRows(w.cycle()), QStringList({"DM/ARENA1", "DM/ARENA2"}));

    // Folders that cannot be used add no maps.
    for (const QString &folder :
        {QString(), game.path("missing"), game.path("BASE/mappack.pak"), QString("Q:\\TARN")}) {
        w.refresh(folder);
        QCOMPARE(w.label("Label13"), QStringLiteral("28 Maps Listed"));
    }
}

void TestMaps::mapCycleIsWrittenThrough()
{
    MapStep w;
    GameFolder game;
    rEGpUT(hkeyLocalMachine, customMapsKey, " 1", "X");
    QVERIFY(writeFile(game.path("USER/MAPS/DM/arena1.bsp"), {}));
    w.open();
    w.refresh(game.path());

    // No selection, or a name too short to be a map: nothing happens.
    w.click("Command2");
    w.add("X");
    QCOMPARE(w.cycle()->model()->rowCount(), 0);
    QCOMPARE(entries(mapCycleKey, 1), QStringList {""});

    w.add("DM/QEVCON1");
    w.add("DM/QEVCON1");
    doubleClickRow(w.available(), "dm/arena1");
    const QStringList three {"DM/QEVCON1", "DM/QEVCON1", "dm/arena1"};
    QCOMPARE(shownRows(w.cycle()), three);
    QCOMPARE(entries(mapCycleKey, 4), three + QStringList {""});
    QCOMPARE(w.label("Label17"), QStringLiteral("3 maps to cycle."));

    w.click("Command6");
    QCOMPARE(entries(mapCycleKey, 3), QStringList({"x", "x", "x"}));
    QCOMPARE(w.cycle()->model()->rowCount(), 0);
    QVERIFY(!w.check("Check22")->isEnabled());
    QCOMPARE(w.label("Label17"), QStringLiteral("0 maps to cycle."));
    w.add("DM/HAXCON1");
    QCOMPARE(entries(mapCycleKey, 3), QStringList({"DM/HAXCON1", "x", "x"}));
    QVERIFY(w.check("Check22")->isEnabled());
    w.open();
    QCOMPARE(shownRows(w.cycle()), QStringList {"DM/HAXCON1"});
    QCOMPARE(w.label("Label17"), QStringLiteral("1 Maps to cycle"));

    // A cleared entry between live ones, as another program may leave it:
    // no live entry is overwritten and the new map comes last.
    rEGpUT(hkeyLocalMachine, mapCycleKey, " 3", "DM/B");
    w.open();
    w.add("DM/MARLOW");
    QCOMPARE(entries(mapCycleKey, 4), QStringList({"DM/HAXCON1", "x", "DM/B", "DM/MARLOW"}));
    w.open();
    QCOMPARE(shownRows(w.cycle()), QStringList({"DM/HAXCON1", "DM/B", "DM/MARLOW"}));
    w.click("Command6");
    QCOMPARE(entries(mapCycleKey, 4), QStringList({"x", "x", "x", "x"}));

    // A full cycle takes no more: an entry past the last would not be read.
    QVERIFY(putEntries(mapCycleKey, QStringList(lastNumberedEntry, "DM/QEVCON1")));
    w.open();
    w.add("DM/MARLOW");
    QCOMPARE(w.cycle()->model()->rowCount(), lastNumberedEntry);
    QCOMPARE(entries(mapCycleKey, lastNumberedEntry + 1).mid(lastNumberedEntry - 1),
        QStringList({"DM/QEVCON1", ""}));
}

void TestMaps::customMapJoinsTheAvailableMaps()
{
    MapStep w;
    // "x" is a map name like any other in this list.
    QVERIFY(putEntries(customMapsKey, {"CTF/ONE", "x", "DM/ARENA1"}));
    w.open();
    clickRow(w.available(), "CTF/ONE");
    QWidget *dialog = w.dialog("Command7", "frmMAPAdd");
    QTest::keyClicks(dialog->findChild<QLineEdit *>("Text1"), "dm/arena1");
    press(dialog, "Command1");
    QCOMPARE(shownRows(w.available()).count("DM/ARENA1"), 2);
    QCOMPARE(w.label("Label13"), QStringLiteral("30 Maps Listed"));
    QCOMPARE(selectedRow(w.available()), QString());
    QVERIFY(!openWindow("frmMAPAdd"));

    // An empty name writes an empty entry, which leaves the list as it was;
    // "Cancel" writes nothing.
    press(w.dialog("Command7", "frmMAPAdd"), "Command1");
    dialog = w.dialog("Command7", "frmMAPAdd");
    dialog->findChild<QLineEdit *>("Text1")->setText("dm/cancelled");
    press(dialog, "Command2");
    QVERIFY(!openWindow("frmMAPAdd"));
    QCOMPARE(
        entries(customMapsKey, 6), QStringList({"CTF/ONE", "x", "DM/ARENA1", "DM/ARENA1", "", ""}));
}

void TestMaps::customLinesKeepTheirEntryNumbers()
{
    MapStep w;
    QVERIFY(putEntries(customCommandsKey, {"A", "x", "b", "C", "", "unreached"}));
    w.open();
    const auto useOther = [] { return RegGet(hkeyLocalMachine, launcherKey, "UseOther"); };
    QWidget *dialog = w.dialog("Command13", "frmCustCFG");
    auto *list = dialog->findChild<QAbstractItemView *>("List1");
    auto *line = dialog->findChild<QLineEdit *>("Text1");
    QCOMPARE(shownRows(list), QStringList({"a", "b", "c"}));
    // Removing b marks its entry; the next line goes above the highest held.
    doubleClickRow(list, "b");
    line->setText("Set Timelimit 20");
    press(dialog, "Command3");
    QCOMPARE(line->text(), QStringLiteral("Set Timelimit 20"));
    QCOMPARE(entries(customCommandsKey, 6),
        QStringList({"A", "x", "x", "C", "set timelimit 20", "unreached"}));
    press(dialog, "Command2");
    QVERIFY(w.check("Check26")->isChecked());
    QCOMPARE(useOther(), QStringLiteral("1"));

    // Removing the line with the highest number frees that number. The
    // dialog outlives the main window and still records the choice.
    rEGpUT(hkeyLocalMachine, launcherKey, "UseOther", "0");
    dialog = w.dialog("Command13", "frmCustCFG");
    list = dialog->findChild<QAbstractItemView *>("List1");
    QCOMPARE(shownRows(list), QStringList({"a", "c", "set timelimit 20", "unreached"}));
    w.window.reset();
    doubleClickRow(list, "unreached");
    QCOMPARE(entries(customCommandsKey, 6).last(), QStringLiteral("x"));
    dialog->findChild<QLineEdit *>("Text1")->setText("d");
    press(dialog, "Command3");
    QCOMPARE(entries(customCommandsKey, 7).mid(5), QStringList({"d", ""}));
    press(dialog, "Command2");
    QCOMPARE(useOther(), QStringLiteral("1"));

    // An empty line is not taken, and "Done" with no lines ticks nothing.
    QVERIFY(putEntries(customCommandsKey, {""}));
    rEGpUT(hkeyLocalMachine, launcherKey, "UseOther", "0");
    w.open();
    dialog = w.dialog("Command13", "frmCustCFG");
    press(dialog, "Command3");
    QCOMPARE(shownRows(dialog->findChild<QAbstractItemView *>("List1")), QStringList());
    press(dialog, "Command2");
    QVERIFY(!openWindow("frmCustCFG"));
    QVERIFY(!w.check("Check26")->isChecked());
    QCOMPARE(useOther(), QStringLiteral("0"));
}

QTEST_MAIN(TestMaps)
#include "test_maps.moc"
