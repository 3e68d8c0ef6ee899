#include "platform/registry.h"
#include "shell/frmcustcfg.h"
#include "shell/frmmapadd.h"
#include "shell/singlewindow.h"
#include "shell/tarnstarter.h"
#include "store/settingsstore.h"
#include "support/teststore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace {

const QString mapsKey = launcherKey + QStringLiteral("\\CustomMAPS");
const QString commandsKey = launcherKey + QStringLiteral("\\CustomCMDS");

QString entry(const QString &key, int number)
{
    return RegGet(hkeyLocalMachine, key, numberedEntryName(number));
}

// Writes entries 1, 2, ... in one transaction, so a list can be filled to
// its last possible entry quickly.
void putEntries(const QString &key, const QStringList &texts)
{
    std::vector<platform::RegWrite> writes(std::size_t(texts.size()));
    for (int i = 0; i < texts.size(); ++i) {
        writes[i].keyPath = key.toStdString();
        writes[i].hasValue = true;
        writes[i].valueName = numberedEntryName(i + 1).toStdString();
        const QByteArray text = texts[i].toLatin1();
        writes[i].data.assign(text.begin(), text.end());
        writes[i].data.push_back(0);
    }
    QCOMPARE(platform::regWriteBatch(writes), platform::errorSuccess);
}

QStringList numberedLines(int count)
{
    QStringList lines;
    for (int number = 1; number <= count; ++number)
        lines.append(QString::number(number));
    return lines;
}

// Opened through the main window's button when there is one, else alone.
template<typename W> W *open(TarnStarter *main)
{
    if (main) {
        const char *button = std::is_same_v<W, frmMAPAdd> ? "Command7" : "Command13";
        main->findChild<QAbstractButton *>(QLatin1String(button))->click();
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *window = qobject_cast<W *>(widget); window && window->isVisible())
                return window;
        }
        return nullptr;
    }
    auto *window = new W;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

QListWidget *list1(QWidget *window)
{
    return window->findChild<QListWidget *>(QStringLiteral("List1"));
}

QLineEdit *text1(QWidget *window)
{
    return window->findChild<QLineEdit *>(QStringLiteral("Text1"));
}

void click(QWidget *window, const char *button)
{
    window->findChild<QPushButton *>(QLatin1String(button))->click();
}

void add(QWidget *window, const QString &text)
{
    text1(window)->setText(text);
    click(window, window->inherits("frmMAPAdd") ? "Command1" : "Command3");
}

QStringList texts(const QListWidget *list)
{
    QStringList result;
    for (int row = 0; row < list->count(); ++row)
        result.append(list->item(row)->text());
    return result;
}

// A double-click is a click followed by the double-click itself.
void doubleClick(QListWidget *list, QPoint at)
{
    QVERIFY(QTest::qWaitForWindowExposed(list->window()));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void doubleClickRow(QListWidget *list, int row)
{
    list->doItemsLayout();
    list->scrollToItem(list->item(row));
    doubleClick(list, list->visualItemRect(list->item(row)).center());
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init() { store = std::make_unique<TestStore>(); }
    void cleanup();

    void customMapJoinsTheAvailableMaps();
    void customMapNamesEmptyLongAndRepeated();
    void fullCustomMapListTakesNoName();
    void customLinesKeepTheirEntryNumbers();
    void emptyAddAndStrayDoubleClickChangeNothing();
    void fullCustomLineList();
    void doneTicksUseCustomCommands();
    void dialogsOpenOnce();

private:
    std::unique_ptr<TestStore> store;
    std::unique_ptr<TarnStarter> main;
};

void TestDialogs::cleanup()
{
    main.reset();
    store.reset();
}

void TestDialogs::customMapJoinsTheAvailableMaps()
{
    putEntries(mapsKey, {QStringLiteral("CTF/ONE"), QStringLiteral("DM/TWO")});
    main = std::make_unique<TarnStarter>();
    QListWidget *available = list1(main.get());
    available->setCurrentRow(0);
    const auto listed = [&] {
        return main->findChild<QLabel *>(QStringLiteral("Label13"))->text().section(' ', 0, 0);
    };
    const int before = listed().toInt();

    QPointer<QWidget> dialog = open<frmMAPAdd>(main.get());
    QTest::keyClicks(text1(dialog), QStringLiteral("dm/arena1"));
    click(dialog, "Command1");
    QCOMPARE(entry(mapsKey, 3), QStringLiteral("DM/ARENA1"));
    QCOMPARE(available->findItems(QStringLiteral("DM/ARENA1"), Qt::MatchExactly).size(), 1);
    QCOMPARE(listed().toInt(), before + 1);
    QVERIFY(available->selectedItems().isEmpty());
    QTRY_VERIFY(!dialog);

    dialog = open<frmMAPAdd>(main.get());
    text1(dialog)->setText(QStringLiteral("dm/cancelled"));
    click(dialog, "Command2");
    QTRY_VERIFY(!dialog);
    QVERIFY(entry(mapsKey, 4).isEmpty());
}

void TestDialogs::customMapNamesEmptyLongAndRepeated()
{
    putEntries(mapsKey, {QStringLiteral("DM/ARENA1")});
    main = std::make_unique<TarnStarter>();
    add(open<frmMAPAdd>(main.get()), QStringLiteral("dm/Arena1"));
    QCOMPARE(entry(mapsKey, 2), QStringLiteral("DM/ARENA1"));
    QCOMPARE(list1(main.get())->findItems(QStringLiteral("DM/ARENA1"), Qt::MatchExactly).size(), 2);

    // An empty name writes an empty entry 3, so the list still ends at 2.
    add(open<frmMAPAdd>(main.get()), QString());
    QCOMPARE(readNumberedList(mapsKey, RemovedEntries::Keep).size(), 2);

    // The box takes no more than the store gives back, and that comes back whole.
    add(open<frmMAPAdd>(main.get()), QString(300, QLatin1Char('m')));
    const QString longest(254, QLatin1Char('M'));
    QCOMPARE(entry(mapsKey, 3), longest);
    QCOMPARE(list1(main.get())->findItems(longest, Qt::MatchExactly).size(), 1);
}

void TestDialogs::fullCustomMapListTakesNoName()
{
    putEntries(mapsKey, numberedLines(32767));
    QPointer<QWidget> dialog = open<frmMAPAdd>(nullptr);
    add(dialog, QStringLiteral("dm/overflow"));
    QVERIFY(entry(mapsKey, 32768).isEmpty());
    QCOMPARE(entry(mapsKey, 32767), QStringLiteral("32767"));
    QVERIFY(dialog && dialog->isVisible());
    dialog->close();
}

void TestDialogs::customLinesKeepTheirEntryNumbers()
{
    putEntries(commandsKey,
        {QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("b"), QStringLiteral("C"),
            QString(), QStringLiteral("unreached")});
    auto *dialog = open<frmCustCFG>(nullptr);
    QCOMPARE(texts(list1(dialog)), (QStringList {"a", "b", "c"}));
    // Removing b marks entry 3; the next line goes above the highest held.
    doubleClickRow(list1(dialog), 1);
    QCOMPARE(entry(commandsKey, 3), QStringLiteral("x"));
    add(dialog, QStringLiteral("Set Timelimit 20"));
    QCOMPARE(entry(commandsKey, 5), QStringLiteral("set timelimit 20"));
    QCOMPARE(text1(dialog)->text(), QStringLiteral("Set Timelimit 20"));
    click(dialog, "Command2");

    dialog = open<frmCustCFG>(nullptr);
    QCOMPARE(texts(list1(dialog)), (QStringList {"a", "c", "set timelimit 20", "unreached"}));
    // Removing the line with the highest number frees that number.
    doubleClickRow(list1(dialog), 3);
    QCOMPARE(entry(commandsKey, 6), QStringLiteral("x"));
    add(dialog, QStringLiteral("d"));
    QCOMPARE(entry(commandsKey, 6), QStringLiteral("d"));
    // The box takes no more than the store gives back.
    add(dialog, QString(300, QLatin1Char('Q')));
    QCOMPARE(entry(commandsKey, 7), QString(254, QLatin1Char('q')));
    dialog->close();
}

void TestDialogs::emptyAddAndStrayDoubleClickChangeNothing()
{
    auto *dialog = open<frmCustCFG>(nullptr);
    QListWidget *list = list1(dialog);
    add(dialog, QString());
    QCOMPARE(list->count(), 0);
    QVERIFY(entry(commandsKey, 1).isEmpty());
    doubleClick(list, QPoint(10, 10));

    add(dialog, QStringLiteral("a"));
    list->setCurrentRow(-1);
    doubleClick(list, QPoint(10, list->viewport()->height() - 5));
    QCOMPARE(texts(list), QStringList {QStringLiteral("a")});
    QCOMPARE(entry(commandsKey, 1), QStringLiteral("a"));
    dialog->close();
}

void TestDialogs::fullCustomLineList()
{
    putEntries(commandsKey, numberedLines(32767));
    auto *dialog = open<frmCustCFG>(nullptr);
    QListWidget *list = list1(dialog);
    QCOMPARE(list->count(), 32767);
    // Entry 32768 would never be read back, so the line is not taken...
    add(dialog, QStringLiteral("one more"));
    QCOMPARE(list->count(), 32767);
    QVERIFY(entry(commandsKey, 32768).isEmpty());
    // ...until the last entry is free again.
    doubleClickRow(list, 32766);
    QCOMPARE(entry(commandsKey, 32767), QStringLiteral("x"));
    click(dialog, "Command3");
    QCOMPARE(entry(commandsKey, 32767), QStringLiteral("one more"));
    dialog->close();
}

void TestDialogs::doneTicksUseCustomCommands()
{
    main = std::make_unique<TarnStarter>();
    auto *useCustom = main->findChild<QCheckBox *>(QStringLiteral("Check26"));
    const auto useOther
        = [] { return RegGet(hkeyLocalMachine, launcherKey, QStringLiteral("UseOther")); };
    QPointer<QWidget> dialog = open<frmCustCFG>(main.get());
    click(dialog, "Command2");
    QTRY_VERIFY(!dialog);
    QVERIFY(!useCustom->isChecked());
    QVERIFY(useOther().isEmpty());

    dialog = open<frmCustCFG>(main.get());
    add(dialog, QStringLiteral("set a 1"));
    click(dialog, "Command2");
    QVERIFY(useCustom->isChecked());
    QCOMPARE(useOther(), QStringLiteral("1"));

    // The dialog outlives the main window and still records the choice.
    rEGpUT(hkeyLocalMachine, launcherKey, QStringLiteral("UseOther"), QStringLiteral("0"));
    dialog = open<frmCustCFG>(main.get());
    main.reset();
    click(dialog, "Command2");
    QCOMPARE(useOther(), QStringLiteral("1"));
}

void TestDialogs::dialogsOpenOnce()
{
    main = std::make_unique<TarnStarter>();
    QPointer<frmMAPAdd> mapAdd;
    QPointer<frmCustCFG> custom;
    frmMAPAdd *firstMapAdd = showSingleWindow(mapAdd);
    frmCustCFG *firstCustom = showSingleWindow(custom);
    add(firstCustom, QStringLiteral("a"));
    QCOMPARE(showSingleWindow(mapAdd), firstMapAdd);
    QCOMPARE(showSingleWindow(custom), firstCustom);
    QCOMPARE(list1(firstCustom)->count(), 1);
    firstMapAdd->close();
    firstCustom->close();
    QTRY_VERIFY(!mapAdd && !custom);
}

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
