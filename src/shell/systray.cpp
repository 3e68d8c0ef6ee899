#include "shell/systray.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

namespace {

const QString toolTip = QStringLiteral("Tarn Server Launcher running...");

} // namespace

SysTray::SysTray(QWidget *window)
    : QObject(window), window(window), icon(new QSystemTrayIcon(this)), menu(new QMenu)
{
    menu->setObjectName(QStringLiteral("SysTrayMenu"));
    menu->addAction(QStringLiteral("Show Tarn Server Launcher"), this, &SysTray::restore);
    menu->addAction(QStringLiteral("Server Monitor"), this, &SysTray::monitorAsked);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Exit"), this, &SysTray::exitAsked);
    icon->setContextMenu(menu.get());
    icon->setObjectName(QStringLiteral("SysTray"));
    icon->setToolTip(toolTip);
    connect(
        icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                restore();
        });
}

SysTray::~SysTray() = default;

void SysTray::add()
{
    icon->setIcon(window->windowIcon());
    icon->show();
}

void SysTray::remove()
{
    icon->hide();
    keepRunning.reset();
}

bool SysTray::isShown() const
{
    return icon->isVisible();
}

void SysTray::hideWindow()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        if (!window->isMinimized())
            window->showMinimized();
        return;
    }
    if (!keepRunning)
        keepRunning = std::make_unique<QEventLoopLocker>();
    window->hide();
}

void SysTray::restore()
{
    window->showNormal();
    window->raise();
    window->activateWindow();
    // Only once the window shows again, or the program would see no open
    // window and end.
    keepRunning.reset();
}

void SysTray::setServerStatus(const QString &status)
{
    icon->setToolTip(status.isEmpty() ? toolTip : toolTip + QLatin1Char('\n') + status);
}
