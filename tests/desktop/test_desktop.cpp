// The launcher on a real X desktop with a notification area: windows are
// closed the way a window manager closes them, and the icon is clicked with
// the X server's own pointer.

#include "shell/tarnstarter.h"
#include "support/teststore.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <functional>
#include <xcb/xcb.h>

namespace {

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie
        = xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return value;
}

// What a window manager sends when the operator clicks a window's close box.
void closeLikeAWindowManager(QWidget *window)
{
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11->connection();
    xcb_client_message_event_t message {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(window->winId());
    message.type = atom(connection, "WM_PROTOCOLS");
    message.data.data32[0] = atom(connection, "WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, message.window, XCB_EVENT_MASK_NO_EVENT,
        reinterpret_cast<const char *>(&message));
    xcb_flush(connection);
}

QWidget *openWindow(const QString &objectName)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == objectName && widget->isVisible())
            return widget;
    }
    return nullptr;
}

bool closeLikeAWindowManager(const QString &objectName)
{
    QPointer<QWidget> window = openWindow(objectName);
    if (!window)
        return false;
    closeLikeAWindowManager(window);
    return QTest::qWaitFor([&] { return !window || !window->isVisible(); });
}

void clickMenu(QMainWindow *window, const QString &title)
{
    QMenuBar *bar = window->menuBar();
    for (QAction *action : bar->actions()) {
        if (action->text() == title)
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(action).center());
    }
}

} // namespace

// Runs in the program's own event loop, as the launcher does: QtTest's
// runner keeps the application from ending when its last window closes,
// which is the very thing under test here.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList failures;
    const auto check = [&failures](bool ok, const QString &what) {
        if (!ok)
            failures << what;
        return ok;
    };
    if (!check(QGuiApplication::platformName() == QLatin1String("xcb"), "an X session")
        || !check(QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10000),
            "a notification area")) {
        qCritical() << failures;
        return 1;
    }

    TestStore store;
    QTemporaryDir game;
    QDir(game.path()).mkpath(QStringLiteral("USER/MAPLISTS"));
    QFile server(game.filePath(QStringLiteral("tarn.exe")));
    if (server.open(QIODevice::WriteOnly))
        server.write("#!/bin/sh\nexit 0\n");
    server.close();
    server.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // The window is made as the program makes it: destroyed when closed.
    QPointer<TarnStarter> window = new TarnStarter;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(game.path());
    window->show();
    auto *icon = window->findChild<QSystemTrayIcon *>(QStringLiteral("SysTray"));
    const auto clickIcon = [&] {
        const QPoint spot = icon->geometry().center();
        QProcess::execute(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QString::number(spot.x()), QString::number(spot.y()),
                QStringLiteral("click"), QStringLiteral("1")});
        return QTest::qWaitFor([&] { return window->isVisible() && !window->isMinimized(); });
    };

    // Each step runs from the program's own event loop and is followed by a
    // pause there, so a program that ends on its own ends between steps.
    struct Step
    {
        QString what;
        std::function<bool()> run;
    };
    const QList<Step> steps = {
        {"the main window shows", [&] { return QTest::qWaitForWindowExposed(window); }},
        {"\"Go\" hides the window and opens the monitor",
            [&] {
                QTest::mouseClick(
                    window->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
                return QTest::qWaitFor([&] { return !window->isVisible(); })
                    && openWindow(QStringLiteral("SvrMon"));
            }},
        {"the monitor closes", [&] { return closeLikeAWindowManager(QStringLiteral("SvrMon")); }},
        {"a click on the icon restores the window", clickIcon},
        {"Help, About and the monitor open, the window minimizes to the icon",
            [&] {
                clickMenu(window, QStringLiteral("Help"));
                clickMenu(window, QStringLiteral("About"));
                QTest::mouseClick(
                    window->findChild<QWidget *>(QStringLiteral("Picture1")), Qt::LeftButton);
                window->setWindowState(Qt::WindowMinimized);
                return QTest::qWaitFor([&] { return !window->isVisible(); })
                    && openWindow(QStringLiteral("frmHelp"))
                    && openWindow(QStringLiteral("frmAbout"))
                    && openWindow(QStringLiteral("SvrMon"));
            }},
        {"Help closes", [&] { return closeLikeAWindowManager(QStringLiteral("frmHelp")); }},
        {"About closes", [&] { return closeLikeAWindowManager(QStringLiteral("frmAbout")); }},
        {"the monitor closes again",
            [&] { return closeLikeAWindowManager(QStringLiteral("SvrMon")); }},
        {"the icon restores the window again", clickIcon},
        {"\"Exit\" is pressed",
            [&] {
                QTest::mouseClick(
                    window->findChild<QPushButton *>(QStringLiteral("Command3")), Qt::LeftButton);
                return true;
            }},
    };
    qsizetype done = 0;
    std::function<void()> next = [&] {
        if (!check(steps[done].run(), steps[done].what)) {
            for (QWidget *widget : QApplication::topLevelWidgets())
                widget->close();
            QCoreApplication::exit(1);
            return;
        }
        if (++done < steps.size())
            QTimer::singleShot(300, &app, next);
    };
    QTimer::singleShot(0, &app, next);
    // A program that does not end at "Exit" fails rather than hangs.
    QTimer::singleShot(60000, &app, [] { QCoreApplication::exit(2); });
    const int status = QApplication::exec();
    check(done == steps.size(), "the program runs until \"Exit\"");
    check(status == 0, "\"Exit\" ends the program");
    if (!failures.isEmpty()) {
        qCritical().noquote() << "FAIL:" << failures.join(QStringLiteral("; "));
        return 1;
    }
    qInfo("PASS: a hidden main window keeps the program running until \"Exit\"");
    return 0;
}
