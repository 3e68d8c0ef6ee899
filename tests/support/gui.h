#pragma once

// What the window tests share: a main window on a fresh store, a game folder
// to launch in, files, and the windows that are open.

#include "platform/registry.h"
#include "shell/messagebox.h"
#include "shell/tarnstarter.h"
#include "store/settingsstore.h"
#include "support/files.h"
#include "support/numberedentries.h"
#include "support/teststore.h"
#include "support/toolpath.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// The open top-level window of that name, if any.
inline QWidget *openWindow(const QString &objectName)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == objectName && widget->isVisible())
            return widget;
    }
    return nullptr;
}

inline void closeWindowsBut(const QWidget *keep = nullptr)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget != keep)
            widget->close();
    }
}

// Answers every message box while it lives, keeping title and text: a
// question with `answer`, any other box with OK.
class AnsweredMessages
{
public:
    AnsweredMessages()
    {
        setMessageBoxAnswerer(
            [this](QMessageBox::Icon icon, const QString &title, const QString &text) {
                texts << title + QLatin1Char('|') + text;
                if (whileShown)
                    whileShown();
                return int(icon == QMessageBox::Question ? answer : QMessageBox::Ok);
            });
    }
    ~AnsweredMessages() { setMessageBoxAnswerer({}); }

    QStringList texts;
    // What the operator does while a box is up, its event loop running.
    std::function<void()> whileShown;
    QMessageBox::StandardButton answer = QMessageBox::No;
};

// A game folder with USER\MAPLISTS and, when asked, a server program: our
// stand-in server, or one that only notes each start in "started".
class GameFolder
{
public:
    enum class Server { None, Tarnded, Script };

    explicit GameFolder(Server server = Server::None, const QString &program = "tarn.exe")
    {
        QDir(dir.path()).mkpath(QStringLiteral("USER/MAPLISTS"));
        if (server != Server::None) {
            const QString tool = server == Server::Tarnded ? "tarnded" : "startmark";
            if (!QFile::copy(toolPath(tool), path(program)))
                QTest::qFail(qPrintable("cannot copy " + toolPath(tool) + ": no TARN_TOOLS_DIR?"),
                    __FILE__, __LINE__);
        }
    }
    QString path(const QString &name = {}) const
    {
        return name.isEmpty() ? dir.path() : dir.filePath(name);
    }

    QTemporaryDir dir;
};

// A main window on a store of its own. The store can be filled before the
// window opens, since the window reads it at start-up.
class MainWindow
{
public:
    TarnStarter *open()
    {
        window = std::make_unique<TarnStarter>();
        window->show();
        return window.get();
    }
    template<typename T = QWidget> T *get(const char *name) const
    {
        return window->findChild<T *>(QLatin1String(name));
    }
    QLineEdit *text(const char *name) const { return get<QLineEdit>(name); }
    QCheckBox *check(const char *name) const { return get<QCheckBox>(name); }
    void click(const char *name) const { get<QAbstractButton>(name)->click(); }

    TestStore store;
    std::unique_ptr<TarnStarter> window;
};
