#include "store/settingsstore.h"
#include "shell/tarnstarter.h"
#include "support/teststore.h"

#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <memory>

class TestSysTray : public QObject
{
    Q_OBJECT
private slots:
    void iconRestoresTheWindow();
    void minimizingNeverLosesTheWindow();
    void iconGoesAtExit();
};

void TestSysTray::iconRestoresTheWindow()
{
    TestStore store;
    TarnStarter window;
    window.show();
    auto *icon = window.findChild<QSystemTrayIcon *>("SysTray");
    QVERIFY(icon);
    QCOMPARE(icon->toolTip(), QStringLiteral("Tarn Server Launcher running..."));
    QVERIFY(icon->contextMenu() == nullptr);

    for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick}) {
        window.hide();
        emit icon->activated(reason);
        QVERIFY(window.isVisible());
        QVERIFY(!window.isMinimized());
    }
    // A right or middle click does nothing.
    window.hide();
    emit icon->activated(QSystemTrayIcon::Context);
    emit icon->activated(QSystemTrayIcon::MiddleClick);
    QVERIFY(!window.isVisible());
}

void TestSysTray::minimizingNeverLosesTheWindow()
{
    TestStore store;
    TarnStarter window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.setWindowState(Qt::WindowMinimized);
    QCoreApplication::processEvents();
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        QVERIFY(!window.isVisible());
    } else {
        // Without a notification area a hidden window could not come back:
        // it stays minimized, where the task bar still offers it.
        QVERIFY(window.isVisible());
        QVERIFY(window.isMinimized());
    }
    emit window.findChild<QSystemTrayIcon *>("SysTray")->activated(QSystemTrayIcon::Trigger);
    QVERIFY(window.isVisible() && !window.isMinimized());
}

void TestSysTray::iconGoesAtExit()
{
    TestStore store;
    auto window = std::make_unique<TarnStarter>();
    window->show();
    QPointer<QSystemTrayIcon> icon = window->findChild<QSystemTrayIcon *>("SysTray");
    window->findChild<QPushButton *>("Command3")->click();
    QVERIFY(!icon || !icon->isVisible());
    // Removing it again at the final release is harmless.
    window.reset();
}

QTEST_MAIN(TestSysTray)
#include "test_systray.moc"
