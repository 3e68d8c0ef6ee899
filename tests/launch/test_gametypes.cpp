#include "shell/tarnstarter.h"
#include "support/teststore.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
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

class Window
{
public:
    Window() : window(new TarnStarter) { }
    ~Window() { delete window; }

    QCheckBox *flag(int number) const
    {
        return window->findChild<QCheckBox *>(QStringLiteral("Check%1").arg(number));
    }
    void select(int index) const
    {
        window->findChild<QRadioButton *>(QStringLiteral("Option1_%1").arg(index))->click();
    }
    std::array<Box, 16> flags() const
    {
        std::array<Box, 16> boxes;
        for (int number = 1; number <= 16; ++number)
            boxes[number - 1] = {flag(number)->isEnabled(), flag(number)->checkState()};
        return boxes;
    }
    QString lines()
    {
        window->BuildDeathmatchLine();
        window->BuildDMFlagsLine();
        return window->DeathmatchLine + " | " + window->DMFlagsLine;
    }

    TarnStarter *window;
};

} // namespace

class TestGameTypes : public QObject
{
    Q_OBJECT
private slots:
    void tableHoldsFromEveryStartingState_data();
    void tableHoldsFromEveryStartingState();
    void limitsFollowTheGameTypeAndKeepTheirText();
    void gameTypeLines_data();
    void gameTypeLines();
    void numbersOutsideTheTableChangeNothing();
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
    TestStore store;
    Window w;
    if (start >= 0) {
        w.select(start);
        // Check every box that the starting type lets the operator change.
        for (int number = 1; number <= 16; ++number) {
            if (w.flag(number)->isEnabled())
                w.flag(number)->setChecked(true);
        }
    }
    const std::array<Box, 16> before = w.flags();
    w.select(target);
    const std::array<Box, 16> after = w.flags();
    for (int number = 1; number <= 16; ++number) {
        const Box was = before[number - 1];
        Box expected = was;
        switch (optionTable[number - 1][target]) {
        case 'o':
            expected = {true, Qt::Unchecked};
            break;
        case 'f':
            expected = {false, Qt::Unchecked};
            break;
        case 's':
            expected = {false, Qt::Checked};
            break;
        case 'k':
            expected = {false, was.check};
            break;
        default:
            break;
        }
        QVERIFY2(after[number - 1] == expected, qPrintable(QStringLiteral("Check%1").arg(number)));
    }
    const auto enabled = [&](const char *name) {
        return w.window->findChild<QWidget *>(QLatin1String(name))->isEnabled();
    };
    QCOMPARE(enabled("Text9"), optionTable[16][target] == 'o');
    QCOMPARE(enabled("Label9"), optionTable[16][target] == 'o');
    QCOMPARE(enabled("Text10"), optionTable[17][target] == 'o');
    QCOMPARE(enabled("Label10"), optionTable[17][target] == 'o');
}

void TestGameTypes::limitsFollowTheGameTypeAndKeepTheirText()
{
    TestStore store;
    Window w;
    auto *ctfLoops = w.window->findChild<QLineEdit *>("Text9");
    ctfLoops->setText("12");
    w.select(5);
    QVERIFY(!ctfLoops->isEnabled());
    QCOMPARE(ctfLoops->text(), QStringLiteral("12"));
    QVERIFY(w.window->findChild<QLineEdit *>("Text10")->isEnabled());
}

void TestGameTypes::gameTypeLines_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QList<int>>("checks");
    QTest::addColumn<QString>("lines");
    QTest::newRow("fresh") << QList<int> {} << QList<int> {} << "set deathmatch 1 | set dmflags 0";
    QTest::newRow("ctf") << QList<int> {3} << QList<int> {} << "set deathmatch 4 | set dmflags 128";
    QTest::newRow("arsenal") << QList<int> {2} << QList<int> {}
                             << "set deathmatch 3 | set dmflags 2112";
    QTest::newRow("realistic") << QList<int> {4} << QList<int> {}
                               << "set deathmatch 5 | set dmflags 16";
    QList<int> all;
    for (int number = 1; number <= 16; ++number)
        all.append(number);
    QTest::newRow("every flag") << QList<int> {6} << all << "set deathmatch 7 | set dmflags 65535";
    // A box the game type disabled still counts while it stays checked.
    QTest::newRow("kept team red/blue")
        << QList<int> {6, 0} << QList<int> {16} << "set deathmatch 1 | set dmflags 32768";
}

void TestGameTypes::gameTypeLines()
{
    QFETCH(QList<int>, clicks);
    QFETCH(QList<int>, checks);
    QFETCH(QString, lines);
    TestStore store;
    Window w;
    if (!clicks.isEmpty())
        w.select(clicks.takeFirst());
    for (int number : checks)
        w.flag(number)->setChecked(true);
    for (int index : clicks)
        w.select(index);
    QCOMPARE(w.lines(), lines);

    // A grayed box adds nothing.
    w.flag(16)->setCheckState(Qt::PartiallyChecked);
    w.window->BuildDMFlagsLine();
    QVERIFY((w.window->DMFlagsSum & 0x8000) == 0);
}

void TestGameTypes::numbersOutsideTheTableChangeNothing()
{
    TestStore store;
    Window w;
    w.select(4);
    const std::array<Box, 16> before = w.flags();
    w.window->ApplyGameTypeOptions(0);
    w.window->ApplyGameTypeOptions(8);
    QVERIFY(w.flags() == before);
}

void TestGameTypes::rulesFollowEverySelectionAndOnlyAChange()
{
    TestStore store;
    Window w;
    // A screen reader selects through the button's toggle action.
    auto *realistic = w.window->findChild<QRadioButton *>(QStringLiteral("Option1_4"));
    QAccessible::queryAccessibleInterface(realistic)->actionInterface()->doAction(
        QAccessibleActionInterface::toggleAction());
    QVERIFY(realistic->isChecked());
    QCOMPARE(w.flags()[4], (Box {false, Qt::Checked}));

    // Keys move the selection just as well.
    auto *control = w.window->findChild<QRadioButton *>(QStringLiteral("Option1_5"));
    control->setFocus();
    QTest::keyClick(control, Qt::Key_Space);
    QVERIFY(control->isChecked());
    QCOMPARE(w.flags()[7], (Box {false, Qt::Checked}));

    // Clicking the selected type again keeps the operator's ticks.
    w.flag(1)->setChecked(true);
    w.select(5);
    QCOMPARE(w.flags()[0], (Box {true, Qt::Checked}));
}

QTEST_MAIN(TestGameTypes)
#include "test_gametypes.moc"
