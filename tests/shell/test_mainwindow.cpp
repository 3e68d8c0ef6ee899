#include "store/settingsstore.h"
#include "shell/tarnstarter.h"
#include "support/teststore.h"
#include "ui_tarnstarter.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTest>
#include <QToolButton>
#include <functional>

#include "platform/localaddress.h"
#include "platform/winpath.h"

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

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void creationStateMatchesInventory();
    void everyControlHasASpokenName();
    void startupWithRegistration();
    void startupWithoutRegistration();
    void gameFolderOf254Characters();
    void windowIsFixedSizeAndShowsEverything();
    void everyOtherWindowOpensOnce();
    void exitLeavesTheMonitorRunning();
    void storeThatIsNoDatabaseIsLeftAlone();
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
    }
    QCOMPARE(window.findChildren<QCheckBox *>().size(), 29);
    QCOMPARE(window.findChildren<QLineEdit *>().size(), 16);

    const QStringList menus {ui.About->text(), ui.Help->text()};
    QCOMPARE(menus, QStringList({"About", "Help"}));
    QVERIFY(ui.Option1->exclusive());
    QCOMPARE(ui.Option1->buttons().size(), 7);
}

void TestMainWindow::everyControlHasASpokenName()
{
    TestStore store;
    TarnStarter window;
    for (QWidget *widget : window.findChildren<QWidget *>()) {
        if (!widget->inherits("QAbstractButton") && !widget->inherits("QLineEdit")
            && !widget->inherits("QListWidget"))
            continue;
        if (widget->objectName().isEmpty() || widget->objectName().startsWith("qt_"))
            continue;
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        QVERIFY2(accessible, qPrintable(widget->objectName()));
        QVERIFY2(!accessible->text(QAccessible::Name).trimmed().isEmpty(),
            qPrintable(widget->objectName()));
    }
    // A text box is announced by its label.
    auto *fragLimit = window.findChild<QLineEdit *>("Text4");
    QCOMPARE(QAccessible::queryAccessibleInterface(fragLimit)->text(QAccessible::Name),
        QStringLiteral("Frag Limit"));
    QCOMPARE(window.findChild<QLabel *>("Label4")->buddy(), fragLimit);
}

void TestMainWindow::startupWithRegistration()
{
    TestStore store;
    QTemporaryDir games;
    // A folder name with a letter that has no capital in the code page.
    const QString registered = games.filePath(QStringLiteral(u"games/stra\u00DFe"));
    QVERIFY(QDir(registered).mkpath("user/maps/dm"));
    QFile cfg(registered + "/user/dedicated.cfg");
    QVERIFY(cfg.open(QIODevice::WriteOnly));
    cfg.close();
    QFile map(registered + "/user/maps/dm/arena1.bsp");
    QVERIFY(map.open(QIODevice::WriteOnly));
    map.close();

    rEGpUT(hkeyLocalMachine, registrationKey, "Path", registered);
    TarnStarter window;

    const QString upper = games.path().toUpper() + QStringLiteral(u"/GAMES/STRA\u00DFE");
    QCOMPARE(RegGet(hkeyLocalMachine, launcherKey, "Path"), upper);
    QCOMPARE(RegGet(hkeyLocalMachine, launcherKey, "FullSoftVer"),
        QStringLiteral("Tarn Server Launcher v1.8"));
    QCOMPARE(window.findChild<QLineEdit *>("Text1")->text(), upper);
    QCOMPARE(window.LauncherTitle, QStringLiteral("Tarn Server Launcher v1.8"));
    QCOMPARE(window.findChild<QPushButton *>("Command10")->text(),
        "IP: " + QString::fromStdString(platform::localIpv4Address()));
    // The upper-cased folder still leads to the files the game keeps in
    // lower case, and to its maps.
    QCOMPARE(
        QString::fromStdString(platform::hostPath((upper + "\\USER\\Dedicated.cfg").toStdString())),
        QFileInfo(cfg).canonicalFilePath());
    QCOMPARE(
        window.findChild<QListWidget *>("List1")->findItems("dm/arena1", Qt::MatchExactly).size(),
        1);
}

void TestMainWindow::startupWithoutRegistration()
{
    TestStore store;
    rEGpUT(hkeyLocalMachine, launcherKey, "Path", "C:\\OLD");
    TarnStarter window;
    QCOMPARE(RegGet(hkeyLocalMachine, launcherKey, "Path"), QString());
    QCOMPARE(window.findChild<QLineEdit *>("Text1")->text(),
        QStringLiteral("C:\\Program Files\\Marlow\\Tarn Gold"));
    QVERIFY(window.findChild<QPushButton *>("Command10")->text().startsWith("IP: "));
    // The address button only shows the address.
    const QString before = window.findChild<QPushButton *>("Command10")->text();
    QTest::mouseClick(window.findChild<QPushButton *>("Command10"), Qt::LeftButton);
    QCOMPARE(window.findChild<QPushButton *>("Command10")->text(), before);
}

void TestMainWindow::gameFolderOf254Characters()
{
    TestStore store;
    const QString folder = "C:\\" + QString(251, 'g');
    rEGpUT(hkeyLocalMachine, registrationKey, "Path", folder);
    TarnStarter window;
    QCOMPARE(window.findChild<QLineEdit *>("Text1")->text(), folder.toUpper());
    QCOMPARE(RegGet(hkeyLocalMachine, launcherKey, "Path"), folder.toUpper());
}

void TestMainWindow::windowIsFixedSizeAndShowsEverything()
{
    TestStore store;
    TarnStarter window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(window.findChild<QLabel *>("Label19")->font().bold());
    QVERIFY(window.findChild<QGroupBox *>("Frame1")->font().bold());
    QVERIFY(!window.findChild<QCheckBox *>("Check1")->font().bold());
    QVERIFY(window.findChild<QLabel *>("Label5")->font().pointSizeF() > 13);
    // No caption is cut: each captioned control gets at least the room its
    // text asks for.
    for (QWidget *widget : window.findChildren<QWidget *>()) {
        if (!widget->isVisible() || widget->objectName().startsWith("qt_"))
            continue;
        if (widget->inherits("QLabel") || widget->inherits("QAbstractButton")) {
            QVERIFY2(widget->width() >= widget->minimumSizeHint().width(),
                qPrintable(widget->objectName()));
        }
    }
}

namespace {
int openCount(const char *objectName)
{
    int count = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        count += widget->objectName() == QLatin1String(objectName) && widget->isVisible();
    return count;
}
} // namespace

void TestMainWindow::everyOtherWindowOpensOnce()
{
    TestStore store;
    TarnStarter window;
    window.show();
    const auto twice = [&](const std::function<void()> &open, const char *name) {
        open();
        open();
        QCOMPARE(openCount(name), 1);
    };
    const auto click = [&](const char *button) {
        return [&window, button] { window.findChild<QAbstractButton *>(button)->click(); };
    };
    const auto menu = [&](const char *action) {
        return [&window, action] { window.findChild<QAction *>(action)->trigger(); };
    };
    twice(menu("About"), "frmAbout");
    twice(menu("Help"), "frmHelp");
    twice(click("Command8"), "frmCmdlist");
    twice(click("Command7"), "frmMAPAdd");
    twice(click("Command13"), "frmCustCFG");
    twice(click("Command11"), "TcpTable");
    twice([&] { QTest::mouseClick(window.findChild<QWidget *>("Picture1"), Qt::LeftButton); },
        "SvrMon");

    // The close box closes the small dialogs but not the monitor, the TCP
    // window or the custom lines.
    window.close();
    for (const char *name : {"frmAbout", "frmHelp", "frmCmdlist", "frmMAPAdd"})
        QCOMPARE(openCount(name), 0);
    for (const char *name : {"SvrMon", "TcpTable", "frmCustCFG"}) {
        QCOMPARE(openCount(name), 1);
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QLatin1String(name))
                widget->close();
        }
    }
}

void TestMainWindow::exitLeavesTheMonitorRunning()
{
    TestStore store;
    auto *window = new TarnStarter;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    QTest::mouseClick(window->findChild<QWidget *>("Picture1"), Qt::LeftButton);
    QTest::mouseClick(window->findChild<QPushButton *>("Command3"), Qt::LeftButton);
    QCOMPARE(openCount("TarnStarter"), 0);
    QCOMPARE(openCount("SvrMon"), 1);
    for (QWidget *widget : QApplication::topLevelWidgets())
        widget->close();
}

void TestMainWindow::storeThatIsNoDatabaseIsLeftAlone()
{
    TestStore store;
    QByteArray noise(64 * 1024, 0);
    for (char &byte : noise)
        byte = char(QRandomGenerator::global()->generate());
    QFile file(store.path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(noise);
    file.close();
    {
        TarnStarter window;
        window.show();
        QCOMPARE(window.findChild<QLineEdit *>("Text4")->text(), QStringLiteral("30"));
        QCOMPARE(window.findChild<QLineEdit *>("Text1")->text(),
            QStringLiteral("C:\\Program Files\\Marlow\\Tarn Gold"));
        window.findChild<QPushButton *>("Command3")->click();
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), noise);
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
