#include "platform/localaddress.h"
#include "store/settingsstore.h"
#include "support/gui.h"
#include "support/lists.h"
#include "ui_tarnstarter.h"

#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QTest>

namespace {

struct Control
{
    const char *name;
    const char *kind;
    const char *text;
    const char *toolTip;
    bool enabled;
    bool checked;
};

// Every control of the main window as it is created, before the settings
// load fills it.
const Control inventory[] = {
#include "inventory.inc"
};

const QString registrationKey
    = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\tarn.exe");

QString shownText(QWidget *widget)
{
    if (auto *box = qobject_cast<QGroupBox *>(widget))
        return box->title();
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return edit->text();
    return {};
}

int openCount(const char *objectName)
{
    int count = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        count += widget->objectName() == QLatin1String(objectName) && widget->isVisible();
    return count;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void creationStateMatchesInventory();
    void startupFindsTheRegisteredGameFolder();
    void settingsThatCannotBeSavedAreSaidOnce();
    void windowIsFixedSizeAndShowsEverything();
    void everyOtherWindowOpensOnce();
    void iconRestoresTheWindow();
};

void TestMainWindow::creationStateMatchesInventory()
{
    QMainWindow window;
    Ui::TarnStarter ui;
    ui.setupUi(&window);
    QCOMPARE(window.windowTitle(), QStringLiteral("Tarn Server Launcher"));
    for (const Control &control : inventory) {
        auto *widget = window.findChild<QWidget *>(QLatin1String(control.name));
        QVERIFY2(widget, control.name);
        QVERIFY2(widget->inherits(control.kind), control.name);
        QCOMPARE(shownText(widget), QString::fromUtf8(control.text));
        QCOMPARE(widget->toolTip(), QString::fromUtf8(control.toolTip));
        QCOMPARE(widget->isEnabled(), control.enabled);
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            QCOMPARE(button->isChecked(), control.checked);
        // A screen reader can name every control the operator works with.
        if (widget->inherits("QAbstractButton") || widget->inherits("QLineEdit")) {
            QVERIFY2(!QAccessible::queryAccessibleInterface(widget)
                          ->text(QAccessible::Name)
                          .trimmed()
                          .isEmpty(),
                control.name);
        }
    }
    QCOMPARE(window.findChildren<QCheckBox *>().size(), 29);
    QCOMPARE(window.findChildren<QLineEdit *>().size(), 16);
    QCOMPARE(QStringList({ui.About->text(), ui.Help->text()}), QStringList({"About", "Help"}));
    QVERIFY(ui.Option1->exclusive());
    // A text box is announced by its label.
    QCOMPARE(QAccessible::queryAccessibleInterface(ui.Text4)->text(QAccessible::Name),
        QStringLiteral("Frag Limit"));
}

void TestMainWindow::startupFindsTheRegisteredGameFolder()
{
    MainWindow w;
    // Without a registration the stored path goes and the default shows.
    rEGpUT(hkeyLocalMachine, launcherKey, "Path", "C:\\OLD");
    w.open();
    QCOMPARE(RegGet(hkeyLocalMachine, launcherKey, "Path"), QString());
    QCOMPARE(w.text("Text1")->text(), QStringLiteral("C:\\Program Files\\Marlow\\Tarn Gold"));
    // The address button only shows the address.
    const QString address = "IP: " + QString::fromStdString(platform::localIpv4Address());
    QCOMPARE(w.get<QPushButton>("Command10")->text(), address);
    QTest::mouseClick(w.get("Command10"), Qt::LeftButton);
    QCOMPARE(w.get<QPushButton>("Command10")->text(), address);

    QTemporaryDir games;
    // A folder name with a letter that has no capital in the code page.
    const QString registered = games.filePath(QStringLiteral(u"games/stra\u00DFe"));
    QVERIFY(writeFile(registered + "/user/maps/dm/arena1.bsp", {}));
    rEGpUT(hkeyLocalMachine, registrationKey, "Path", registered);
    w.open();
    const QString upper = games.path().toUpper() + QStringLiteral(u"/GAMES/STRA\u00DFE");
    QCOMPARE(RegGet(hkeyLocalMachine, launcherKey, "Path"), upper);
    QCOMPARE(RegGet(hkeyLocalMachine, launcherKey, "FullSoftVer"),
        QStringLiteral("Tarn Server Launcher v1.8"));
    QCOMPARE(w.text("Text1")->text(), upper);
    // The upper-cased folder still leads to the maps the game keeps in lower case.
    QCOMPARE(shownRows(w.get<QAbstractItemView>("List1")).count("dm/arena1"), 1);
}

void TestMainWindow::settingsThatCannotBeSavedAreSaidOnce()
{
    MainWindow w;
    // Not a store: every write of the start-up fails.
    QVERIFY(writeFile(w.store.dir.filePath("registry.db"), "not a database"));
    AnsweredMessages messages;
    w.open();
    QCoreApplication::processEvents();
    QCOMPARE(messages.texts,
        QStringList("Tarn Server Launcher|The settings could not be saved (the settings store "
                    "is damaged or is not one). Changes made now are lost when the launcher "
                    "closes."));
}

void TestMainWindow::windowIsFixedSizeAndShowsEverything()
{
    MainWindow w;
    w.open();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    QCOMPARE(w.window->minimumSize(), w.window->maximumSize());
    QVERIFY(w.get("Label19")->font().bold() && w.get("Frame1")->font().bold());
    QVERIFY(!w.get("Check1")->font().bold());
    QVERIFY(w.get("Label5")->font().pointSizeF() > 13);
    // No caption is cut: each captioned control gets at least the room its
    // text asks for.
    for (QWidget *widget : w.window->findChildren<QWidget *>()) {
        if (widget->isVisible() && !widget->objectName().startsWith("qt_")
            && (widget->inherits("QLabel") || widget->inherits("QAbstractButton")))
            QVERIFY2(widget->width() >= widget->minimumSizeHint().width(),
                qPrintable(widget->objectName()));
    }
}

void TestMainWindow::everyOtherWindowOpensOnce()
{
    MainWindow w;
    w.open();
    const auto twice = [&](const std::function<void()> &open, const char *name) {
        open();
        open();
        QCOMPARE(openCount(name), 1);
    };
    const auto click = [&](const char *button) { return [&w, button] { w.click(button); }; };
    const auto menu
        = [&](const char *action) { return [&w, action] { w.get<QAction>(action)->trigger(); }; };
    twice(menu("About"), "frmAbout");
    twice(menu("Help"), "frmHelp");
    twice(click("Command8"), "frmCmdlist");
    twice(click("Command7"), "frmMAPAdd");
    twice(click("Command13"), "frmCustCFG");
    twice(click("Command11"), "TcpTable");
    twice([&] { QTest::mouseClick(w.get("Picture1"), Qt::LeftButton); }, "SvrMon");
    // Escape closes the two windows that are there to be read.
    for (const char *name : {"frmHelp", "frmCmdlist"}) {
        openWindow(name)->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(openWindow(name)));
        QTest::keyClick(openWindow(name), Qt::Key_Escape);
        QCOMPARE(openCount(name), 0);
    }

    // The close box closes the small dialogs but not the monitor, the TCP
    // window or the custom lines; "Exit" does the same after saving.
    w.window->close();
    for (const char *name : {"frmAbout", "frmHelp", "frmCmdlist", "frmMAPAdd"})
        QCOMPARE(openCount(name), 0);
    for (const char *name : {"SvrMon", "TcpTable", "frmCustCFG"})
        QCOMPARE(openCount(name), 1);
    closeWindowsBut();
}

void TestMainWindow::iconRestoresTheWindow()
{
    MainWindow w;
    w.open();
    auto *icon = w.get<QSystemTrayIcon>("SysTray");
    QCOMPARE(icon->toolTip(), QStringLiteral("Tarn Server Launcher running..."));

    // Minimized, the window goes out of the way; without a notification
    // area it stays minimized, where the task bar still offers it. A double
    // click brings it back as a click does.
    w.window->setWindowState(Qt::WindowMinimized);
    QVERIFY(!w.window->isVisible() || w.window->isMinimized());
    emit icon->activated(QSystemTrayIcon::DoubleClick);
    QVERIFY(w.window->isVisible() && !w.window->isMinimized());
    // A right or middle click does nothing.
    w.window->hide();
    emit icon->activated(QSystemTrayIcon::Context);
    emit icon->activated(QSystemTrayIcon::MiddleClick);
    QVERIFY(!w.window->isVisible());

    // "Exit" takes the icon away; the final release again is harmless.
    QPointer<QSystemTrayIcon> watched = icon;
    w.window->show();
    w.click("Command3");
    QVERIFY(!watched || !watched->isVisible());
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
