// The launcher on a real X desktop with a notification area: windows are
// closed the way a window manager closes them, and the icon is clicked with
// the X server's own pointer and its menu used with the keys; "Go" while the
// server runs asks first, and the monitor sees the server killed. It runs in
// the program's own event loop, as the launcher does: QtTest's runner keeps
// an application from ending when its last window closes, which is the very
// thing under test here.

#include "support/gui.h"
#include "support/rconclient.h"

#include <QDirIterator>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <functional>
#include <xcb/xcb.h>

namespace {

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return value;
}

// Sends what a window manager sends when the operator clicks a close box.
bool closeLikeAWindowManager(const char *objectName)
{
    QPointer<QWidget> window = openWindow(QLatin1String(objectName));
    if (!window)
        return false;
    xcb_connection_t *connection
        = qApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    xcb_client_message_event_t message {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(window->winId());
    message.type = atom(connection, "WM_PROTOCOLS");
    message.data.data32[0] = atom(connection, "WM_DELETE_WINDOW");
    xcb_send_event(connection, 0, message.window, XCB_EVENT_MASK_NO_EVENT,
        reinterpret_cast<const char *>(&message));
    xcb_flush(connection);
    return QTest::qWaitFor([&] { return !window || !window->isVisible(); });
}

void clickMenu(QMainWindow *window, const QString &title)
{
    for (QAction *action : window->menuBar()->actions()) {
        if (action->text() == title)
            QTest::mouseClick(window->menuBar(), Qt::LeftButton, {},
                window->menuBar()->actionGeometry(action).center());
    }
}

// The process that runs the program file `program`.
qint64 processOf(const QString &program)
{
    const QString wanted = QFileInfo(program).canonicalFilePath();
    for (QDirIterator it("/proc", {}, QDir::Dirs | QDir::NoDotAndDotDot); it.hasNext();) {
        const QString folder = it.next();
        if (QFileInfo(folder + "/exe").canonicalFilePath() == wanted)
            return it.fileName().toLongLong();
    }
    return 0;
}

// Clicks a button of the message box in front with the X server's pointer.
void clickInMessageBox(QMessageBox::StandardButton which)
{
    QMessageBox *box = nullptr;
    const bool shown = QTest::qWaitFor([&] {
        box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        return box && box->isVisible();
    });
    if (!shown || !QTest::qWaitForWindowExposed(box))
        return;
    QWidget *button = box->button(which);
    const QPoint spot = button->mapToGlobal(button->rect().center());
    QProcess::execute("xdotool",
        {"mousemove", QString::number(spot.x()), QString::number(spot.y()), "click", "1"});
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (QGuiApplication::platformName() != QLatin1String("xcb")
        || !QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 10000)) {
        qCritical("FAIL: no X session with a notification area");
        return 1;
    }
    TestStore store;
    GameFolder game(GameFolder::Server::Tarnded);
    const quint16 port = freeUdpPort();
    // Made as the program makes it: destroyed when closed.
    QPointer<TarnStarter> window = new TarnStarter;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(game.path());
    window->findChild<QLineEdit *>(QStringLiteral("Text5"))->setText(QString::number(port));
    window->show();
    const auto click = [&](const char *name) {
        QTest::mouseClick(window->findChild<QWidget *>(QLatin1String(name)), Qt::LeftButton);
    };
    const auto clickIcon = [&](const char *button) {
        const QPoint spot = window->findChild<QSystemTrayIcon *>("SysTray")->geometry().center();
        const QStringList move
            = {"mousemove", QString::number(spot.x()), QString::number(spot.y())};
        return QProcess::execute("xdotool", move + QStringList {"click", button}) == 0;
    };
    const auto restored = [&] {
        return QTest::qWaitFor([&] { return window->isVisible() && !window->isMinimized(); });
    };
    // A right click on the icon opens its menu; the keys choose an entry.
    const auto chooseFromIconMenu = [&](int entry) {
        const auto menuOpen = [] { return openWindow("SysTrayMenu") != nullptr; };
        if (!clickIcon("3") || !QTest::qWaitFor(menuOpen))
            return false;
        QProcess::execute("xdotool", QStringList("key") + QStringList(entry, "Down") << "Return");
        return QTest::qWaitFor([&] { return !menuOpen(); });
    };
    const auto hidden = [&] { return QTest::qWaitFor([&] { return !window->isVisible(); }); };
    // The password Go made for the blank Rcon_pw.
    const auto rcon
        = [] { return RegGet(hkeyLocalMachine, launcherKey, "rcon_pw_generated").toLatin1(); };
    const auto fragLimit = [&](const QByteArray &value) {
        return QTest::qWaitFor(
            [&] { return askServer(port, rcon() + " fraglimit", 300).contains(value); }, 10000);
    };

    // Each step runs from the program's own event loop and is followed by a
    // pause there, so a program that ends on its own ends between steps.
    const QList<std::pair<const char *, std::function<bool()>>> steps = {
        {"the window shows", [&] { return QTest::qWaitForWindowExposed(window); }},
        {"Go hides the window and opens the monitor",
            [&] {
                click("Command1");
                return hidden() && openWindow("SvrMon") && fragLimit("\"30\"");
            }},
        {"the monitor closes", [] { return closeLikeAWindowManager("SvrMon"); }},
        {"a click on the icon restores the window", [&] { return clickIcon("1") && restored(); }},
        {"Help, About and the monitor (from the icon's menu) open, the window minimizes",
            [&] {
                clickMenu(window, "Help");
                clickMenu(window, "About");
                window->setWindowState(Qt::WindowMinimized);
                return hidden() && chooseFromIconMenu(2) && openWindow("SvrMon")
                    && openWindow("frmHelp") && openWindow("frmAbout");
            }},
        {"Help closes", [] { return closeLikeAWindowManager("frmHelp"); }},
        {"About closes", [] { return closeLikeAWindowManager("frmAbout"); }},
        {"the monitor closes again", [] { return closeLikeAWindowManager("SvrMon"); }},
        {"the icon's menu shows the window", [&] { return chooseFromIconMenu(1) && restored(); }},
        {"Go while the server runs asks, and Yes restarts it with a new frag limit",
            [&] {
                window->findChild<QLineEdit *>(QStringLiteral("Text4"))->setText("23");
                QTimer::singleShot(0, [] { clickInMessageBox(QMessageBox::Yes); });
                click("Command1");
                return hidden() && fragLimit("\"23\"");
            }},
        {"the server killed, the monitor and the icon's tooltip say it stopped",
            [&] {
                const qint64 server = processOf(game.path("tarn.exe"));
                QWidget *monitor = openWindow("SvrMon");
                auto *status = monitor ? monitor->findChild<QLabel *>("StatusLine") : nullptr;
                if (!status || server <= 0 || ::kill(pid_t(server), SIGKILL) != 0)
                    return false;
                const QString stopped = QStringLiteral("Server stopped");
                return QTest::qWaitFor([&] { return status->text() == stopped; }, 8000)
                    && window->findChild<QSystemTrayIcon *>("SysTray")->toolTip().endsWith(stopped);
            }},
        {"the monitor closes once more", [] { return closeLikeAWindowManager("SvrMon"); }},
        {"the icon shows the window again", [&] { return clickIcon("1") && restored(); }},
        {"a new frag limit, the window hidden, and Exit in the icon's menu",
            [&] {
                window->findChild<QLineEdit *>(QStringLiteral("Text4"))->setText("17");
                window->setWindowState(Qt::WindowMinimized);
                return hidden() && chooseFromIconMenu(3);
            }},
    };
    qsizetype done = 0;
    std::function<void()> next = [&] {
        if (!steps[done].second()) {
            qCritical("FAIL: %s", steps[done].first);
            closeWindowsBut();
            QCoreApplication::exit(1);
        } else if (++done < steps.size()) {
            QTimer::singleShot(300, &app, next);
        }
    };
    QTimer::singleShot(0, &app, next);
    // A program that does not end at "Exit" fails rather than hangs.
    QTimer::singleShot(60000, &app, [] { QCoreApplication::exit(2); });
    const int status = QApplication::exec();
    // A step that failed may have left the server running.
    askServer(port, rcon() + " quit", 300);
    const bool saved = RegGet(hkeyLocalMachine, launcherKey, "Frag_Limit") == "17";
    if (done != steps.size() || status != 0 || !saved) {
        qCritical(done != steps.size() ? "FAIL: the program ended before \"Exit\""
                : status != 0          ? "FAIL: \"Exit\" did not end the program"
                                       : "FAIL: \"Exit\" in the icon's menu saved nothing");
        return 1;
    }
    qInfo("PASS: a hidden main window keeps the program running until \"Exit\"");
    return 0;
}
