#include "maps/mapsources.h"
#include "store/settingsstore.h"
#include "shell/tarnstarter.h"
#include "support/teststore.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

const QString cycleKey = launcherKey + "\\CustomLST";

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

QStringList entries(const QListWidget *list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->item(row)->text());
    return texts;
}

QStringList storedCycle(int count)
{
    QStringList texts;
    for (int number = 1; number <= count; ++number)
        texts.append(RegGet(hkeyLocalMachine, cycleKey, numberedEntryName(number)));
    return texts;
}

class Window
{
public:
    explicit Window(const QString &gameFolder = QString()) : window(std::make_unique<TarnStarter>())
    {
        if (!gameFolder.isNull()) {
            window->findChild<QLineEdit *>("Text1")->setText(gameFolder);
            window->BuildList();
        }
    }
    QListWidget *available() const { return window->findChild<QListWidget *>("List1"); }
    QListWidget *cycle() const { return window->findChild<QListWidget *>("List2"); }
    QString label(const char *name) const { return window->findChild<QLabel *>(name)->text(); }
    QCheckBox *useCycle() const { return window->findChild<QCheckBox *>("Check22"); }
    void add(const QString &map) const
    {
        const auto found = available()->findItems(map, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(map));
        available()->setCurrentItem(found.first());
        window->findChild<QPushButton *>("Command2")->click();
    }
    void clear() const { window->findChild<QPushButton *>("Command6")->click(); }

    std::unique_ptr<TarnStarter> window;
};

} // namespace

class TestMapList : public QObject
{
    Q_OBJECT
private slots:
    void emptyFolderGivesTheBuiltInMaps();
    void mapPackNeedsItsExactName();
    void mapFilesOfBothFolders();
    void oddFolderContents();
    void unusableGameFolders();
    void customMapsAndStoredCycle();
    void addAndClearTheCycle();
    void addingAfterACycleWithAGap();
    void refreshFollowsTheFolderAndDropsTheSelection();
};

void TestMapList::emptyFolderGivesTheBuiltInMaps()
{
    TestStore store;
    QTemporaryDir games;
    Window w(games.path());
    QStringList expected;
    for (const QString &map : builtInMaps())
        expected.append(map.toUpper());
    std::sort(expected.begin(), expected.end());
    QCOMPARE(entries(w.available()), expected);
    QCOMPARE(w.label("Label13"), QStringLiteral("26 Maps Listed"));
    QCOMPARE(w.cycle()->count(), 0);
    QCOMPARE(w.label("Label17"), QStringLiteral("0 Maps to cycle"));
    QVERIFY(w.useCycle()->isEnabled());
}

void TestMapList::mapPackNeedsItsExactName()
{
    TestStore store;
    QTemporaryDir games;
    touch(games.filePath("base/MAPPACK.PAK"));
    {
        Window w(games.path());
        QCOMPARE(w.label("Label13"), QStringLiteral("26 Maps Listed"));
    }
    QTemporaryDir other;
    touch(other.filePath("BASE/mappack.pak"));
    Window w(other.path());
    QCOMPARE(w.label("Label13"), QStringLiteral("31 Maps Listed"));
    QVERIFY(!w.available()->findItems("DM/QEVDESERTDM", Qt::MatchExactly).isEmpty());
}

void TestMapList::mapFilesOfBothFolders()
{
    TestStore store;
    QTemporaryDir games;
    touch(games.filePath("user/maps/dm/Arena1.BSP"));
    touch(games.filePath("user/maps/Arena1.bsp"));
    touch(games.filePath("user/maps/dm/qevcon1.bsp"));
    touch(games.filePath("user/maps/dm/.hidden.bsp"));
    // The path is typed upper-case, as the registration gives it.
    Window w(games.path().toUpper());
    const QStringList listed = entries(w.available());
    QVERIFY(listed.contains("dm/arena1"));
    QVERIFY(listed.contains("arena1"));
    QVERIFY(listed.contains("dm/.hidden"));
    // A built-in map present as a file is listed twice.
    QCOMPARE(listed.count(QStringLiteral("DM/QEVCON1")) + listed.count("dm/qevcon1"), 2);
    QCOMPARE(w.label("Label13"), QStringLiteral("30 Maps Listed"));
    // Alphabetical without regard to case.
    for (int row = 1; row < listed.size(); ++row)
        QVERIFY(listed[row - 1].compare(listed[row], Qt::CaseInsensitive) <= 0);
}

void TestMapList::oddFolderContents()
{
    TestStore store;
    QTemporaryDir games;
    QVERIFY(QDir().mkpath(games.filePath("USER/MAPS/DM/folder.bsp")));
    touch(games.filePath("USER/MAPS/DM/.bsp"));
    touch(games.filePath("USER/MAPS/DM/notes.txt"));
    touch(games.filePath("USER/MAPS/DM/sub/deep.bsp"));
    touch(games.filePath(QString::fromUtf8("USER/MAPS/DM/\xc3\xa9t\xc3\xa9.bsp")));
    // A name that is not valid UTF-8 still lists, with a stand-in character.
    const QByteArray badName = QFile::encodeName(games.filePath("USER/MAPS/DM/")) + "bad\xff.bsp";
    ::close(::creat(badName.constData(), 0644));
    Window w(games.path());
    const QStringList files = mapFileNames(games.path() + "\\USER\\MAPS\\DM\\*.BSP", true);
    QCOMPARE(files.size(), 2);
    QVERIFY(files.contains(QString::fromUtf8("dm/\xc3\xa9t\xc3\xa9")));
    QCOMPARE(w.label("Label13"), QStringLiteral("28 Maps Listed"));

    QTemporaryDir many;
    QVERIFY(QDir().mkpath(many.filePath("USER/MAPS")));
    for (int i = 0; i < 20000; ++i)
        ::close(::creat(QFile::encodeName(many.filePath(QStringLiteral("USER/MAPS/m%1.bsp").arg(i)))
                            .constData(),
            0644));
    Window big(many.path());
    QCOMPARE(big.label("Label13"), QStringLiteral("20026 Maps Listed"));
}

void TestMapList::unusableGameFolders()
{
    TestStore store;
    QTemporaryDir games;
    touch(games.filePath("afile"));
    QVERIFY(QDir().mkpath(games.filePath("locked/USER/MAPS")));
    touch(games.filePath("locked/USER/MAPS/x.bsp"));
    QFile::setPermissions(games.filePath("locked/USER/MAPS"), QFileDevice::Permissions());
    QStringList folders {"", games.filePath("missing"), games.filePath("afile"), "Q:\\NO\\DRIVE"};
    // Permissions do not hold back the superuser.
    if (QDir(games.filePath("locked/USER/MAPS")).entryList(QDir::Files).isEmpty())
        folders.append(games.filePath("locked"));
    for (const QString &folder : folders) {
        Window w(folder);
        QCOMPARE(w.label("Label13"), QStringLiteral("26 Maps Listed"));
    }
    QFile::setPermissions(games.filePath("locked/USER/MAPS"),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestMapList::customMapsAndStoredCycle()
{
    TestStore store;
    const QString customKey = launcherKey + "\\CustomMAPS";
    rEGpUT(hkeyLocalMachine, customKey, " 1", "dm/mine");
    rEGpUT(hkeyLocalMachine, customKey, " 2", "x");
    rEGpUT(hkeyLocalMachine, customKey, " 4", "dm/unread");
    rEGpUT(hkeyLocalMachine, cycleKey, " 1", "dm/arena1");
    rEGpUT(hkeyLocalMachine, cycleKey, " 2", "x");
    rEGpUT(hkeyLocalMachine, cycleKey, " 3", "dm/arena2");
    Window w;
    QCOMPARE(entries(w.cycle()), QStringList({"DM/ARENA1", "DM/ARENA2"}));
    QCOMPARE(w.label("Label17"), QStringLiteral("2 Maps to cycle"));
    QVERIFY(w.useCycle()->isEnabled());
    QVERIFY(!w.available()->findItems("DM/MINE", Qt::MatchExactly).isEmpty());
    QVERIFY(!w.available()->findItems("X", Qt::MatchExactly).isEmpty());
    QVERIFY(w.available()->findItems("DM/UNREAD", Qt::MatchExactly).isEmpty());
}

void TestMapList::addAndClearTheCycle()
{
    TestStore store;
    QTemporaryDir games;
    touch(games.filePath("USER/MAPS/DM/arena1.bsp"));
    Window w(games.path());

    // Nothing selected: nothing happens.
    w.available()->setCurrentRow(-1);
    w.window->findChild<QPushButton *>("Command2")->click();
    QCOMPARE(w.cycle()->count(), 0);
    QCOMPARE(RegGet(hkeyLocalMachine, cycleKey, " 1"), QString());
    QCOMPARE(w.label("Label17"), QStringLiteral("0 Maps to cycle"));

    w.add("DM/QEVCON1");
    w.add("DM/QEVCON1");
    w.add("dm/arena1");
    QCOMPARE(entries(w.cycle()), QStringList({"DM/QEVCON1", "DM/QEVCON1", "dm/arena1"}));
    QCOMPARE(storedCycle(3), QStringList({"DM/QEVCON1", "DM/QEVCON1", "dm/arena1"}));
    QCOMPARE(w.label("Label17"), QStringLiteral("3 maps to cycle."));

    // A double-click adds just as the button does.
    const auto marlow = w.available()->findItems("DM/MARLOW", Qt::MatchExactly).first();
    w.available()->setCurrentItem(marlow);
    emit w.available()->itemDoubleClicked(marlow);
    QCOMPARE(w.cycle()->count(), 4);

    w.clear();
    QCOMPARE(storedCycle(4), QStringList({"x", "x", "x", "x"}));
    QCOMPARE(w.cycle()->count(), 0);
    QVERIFY(!w.useCycle()->isEnabled());
    QCOMPARE(w.label("Label17"), QStringLiteral("0 maps to cycle."));

    w.add("DM/HAXCON1");
    QCOMPARE(storedCycle(4), QStringList({"DM/HAXCON1", "x", "x", "x"}));
    QVERIFY(w.useCycle()->isEnabled());

    Window restarted;
    QCOMPARE(entries(restarted.cycle()), QStringList({"DM/HAXCON1"}));
    QCOMPARE(restarted.label("Label17"), QStringLiteral("1 Maps to cycle"));

    // Clearing an empty cycle writes nothing.
    restarted.clear();
    restarted.clear();
    QCOMPARE(storedCycle(2), QStringList({"x", "x"}));
    QCOMPARE(restarted.label("Label17"), QStringLiteral("0 maps to cycle."));
}

void TestMapList::addingAfterACycleWithAGap()
{
    TestStore store;
    rEGpUT(hkeyLocalMachine, cycleKey, " 1", "DM/A");
    rEGpUT(hkeyLocalMachine, cycleKey, " 2", "x");
    rEGpUT(hkeyLocalMachine, cycleKey, " 3", "DM/B");
    Window w;
    w.add("DM/MARLOW");
    // The live third entry is kept and the new map comes last.
    QCOMPARE(storedCycle(4), QStringList({"DM/A", "x", "DM/B", "DM/MARLOW"}));
    Window restarted;
    QCOMPARE(entries(restarted.cycle()), QStringList({"DM/A", "DM/B", "DM/MARLOW"}));
    restarted.clear();
    QCOMPARE(storedCycle(4), QStringList({"x", "x", "x", "x"}));
}

void TestMapList::refreshFollowsTheFolderAndDropsTheSelection()
{
    TestStore store;
    QTemporaryDir games;
    touch(games.filePath("USER/MAPS/newmap.bsp"));
    Window w;
    QVERIFY(!w.available()->selectedItems().isEmpty());
    w.window->findChild<QLineEdit *>("Text1")->setText(games.path());
    w.window->findChild<QPushButton *>("Command4")->click();
    QVERIFY(w.available()->selectedItems().isEmpty());
    QVERIFY(!w.available()->findItems("newmap", Qt::MatchExactly).isEmpty());
}

QTEST_MAIN(TestMapList)
#include "test_maplist.moc"
