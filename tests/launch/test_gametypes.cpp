#include "launch/configtext.h"
#include "support/gui.h"

#include <QAccessible>
#include <QRadioButton>
#include <QTest>

namespace {

// The option table as the operator sees it: one row per control, one column
// per game type from Deathmatch to Conquer (CTB).
// o = on, f = off, s = off and set, k = off and kept, - = kept.
const char *const optionTable[18] = {
    "oooofoo", // No Health
    "oooofoo", // No Items
    "oofofoo", // Weapons Stay
    "oooofoo", // No Falling Damage
    "oooosoo", // Realistic Damage
    "ooooooo", // Same Level
    "oosofoo", // No weapon reload
    "offsoso", // Teamplay
    "offofoo", // No Friendly Fire
    "ooooooo", // Force Respawn
    "ooooooo", // No Armor
    "oosofoo", // Infinite Ammo
    "oofoooo", // Spinning Weapons
    "oofoooo", // Bullet Only
    "fk--foo", // Force Join
    "k----fo", // Team red/blue
    "fffoffo", // CTF Loops
    "fffffof", // Control Limit
};

struct Box
{
    bool enabled;
    Qt::CheckState check;
    bool operator==(const Box &) const = default;
};

class Window : public MainWindow
{
public:
    Window() { open(); }
    QCheckBox *flag(int number) const
    {
        return window->findChild<QCheckBox *>(QStringLiteral("Check%1").arg(number));
    }
    QRadioButton *type(int index) const
    {
        return window->findChild<QRadioButton *>(QStringLiteral("Option1_%1").arg(index));
    }
    std::array<Box, 16> flags() const
    {
        std::array<Box, 16> boxes;
        for (int number = 1; number <= 16; ++number)
            boxes[number - 1] = {flag(number)->isEnabled(), flag(number)->checkState()};
        return boxes;
    }
    // The game type and DM flags lines of the configuration.
    QString lines() const
    {
        const QStringList all = configText(window->launchForm(), {}).split("\r\n");
        return all.filter("set deathmatch ").first() + " | " + all.filter("set dmflags ").first();
    }
};

} // namespace

class TestGameTypes : public QObject
{
    Q_OBJECT
private slots:
    void tableHoldsFromEveryStartingState_data();
    void tableHoldsFromEveryStartingState();
    void gameTypeLines();
    void rulesFollowEverySelectionAndOnlyAChange();
};

void TestGameTypes::tableHoldsFromEveryStartingState_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("target");
    // Selecting the type already selected is no change (tested on its own).
    for (int start : {-1, 6, 4}) {
        for (int target = 0; target < 7; ++target) {
            if (target != start)
                QTest::addRow("from %d to %d", start, target) << start << target;
        }
    }
}

void TestGameTypes::tableHoldsFromEveryStartingState()
{
    QFETCH(int, start);
    QFETCH(int, target);
    Window w;
    if (start >= 0) {
        w.type(start)->click();
        // Tick every box the starting type lets the operator change.
        for (int number = 1; number <= 16; ++number) {
            if (w.flag(number)->isEnabled())
                w.flag(number)->setChecked(true);
        }
        w.text("Text9")->setText("12");
    }
    const std::array<Box, 16> before = w.flags();
    w.type(target)->click();
    const std::array<Box, 16> after = w.flags();
    for (int number = 1; number <= 16; ++number) {
        const Box was = before[number - 1];
        const char rule = optionTable[number - 1][target];
        const Box expected = rule == 'o' ? Box {true, Qt::Unchecked}
            : rule == 'f'                ? Box {false, Qt::Unchecked}
            : rule == 's'                ? Box {false, Qt::Checked}
            : rule == 'k'                ? Box {false, was.check}
                                         : was;
        QVERIFY2(after[number - 1] == expected, qPrintable(QStringLiteral("Check%1").arg(number)));
    }
    // The limits follow the type with their labels, and keep their text.
    for (const char *name : {"Text9", "Label9"})
        QCOMPARE(w.get(name)->isEnabled(), optionTable[16][target] == 'o');
    for (const char *name : {"Text10", "Label10"})
        QCOMPARE(w.get(name)->isEnabled(), optionTable[17][target] == 'o');
    QCOMPARE(w.text("Text9")->text(), start >= 0 ? QStringLiteral("12") : QStringLiteral("4"));

    // Numbers outside the table change nothing.
    w.window->ApplyGameTypeOptions(0);
    w.window->ApplyGameTypeOptions(8);
    QVERIFY(w.flags() == after);
}

// The game type and DM flags lines follow the boxes as they stand, also a
// box the game type disabled while it stays checked; a grayed box adds
// nothing.
void TestGameTypes::gameTypeLines()
{
    Window w;
    QCOMPARE(w.lines(), "set deathmatch 1 | set dmflags 0");
    w.type(2)->click();
    QCOMPARE(w.lines(), "set deathmatch 3 | set dmflags 2112");
    w.type(6)->click();
    for (int number = 1; number <= 16; ++number)
        w.flag(number)->setChecked(true);
    QCOMPARE(w.lines(), "set deathmatch 7 | set dmflags 65535");
    w.type(0)->click();
    w.flag(16)->setChecked(true);
    QCOMPARE(w.lines(), "set deathmatch 1 | set dmflags 32768");
    w.flag(16)->setCheckState(Qt::PartiallyChecked);
    QCOMPARE(w.lines(), "set deathmatch 1 | set dmflags 0");
}

void TestGameTypes::rulesFollowEverySelectionAndOnlyAChange()
{
    Window w;
    // A screen reader selects through the button's toggle action.
    QAccessible::queryAccessibleInterface(w.type(4))->actionInterface()->doAction(
        QAccessibleActionInterface::toggleAction());
    QVERIFY(w.type(4)->isChecked());
    QCOMPARE(w.flags()[4], (Box {false, Qt::Checked}));

    // Keys move the selection just as well.
    w.type(5)->setFocus();
    QTest::keyClick(w.type(5), Qt::Key_Space);
    QVERIFY(w.type(5)->isChecked());
    QCOMPARE(w.flags()[7], (Box {false, Qt::Checked}));

    // Clicking the selected type again keeps the operator's ticks.
    w.flag(1)->setChecked(true);
    w.type(5)->click();
    QCOMPARE(w.flags()[0], (Box {true, Qt::Checked}));
}

QTEST_MAIN(TestGameTypes)
#include "test_gametypes.moc"
