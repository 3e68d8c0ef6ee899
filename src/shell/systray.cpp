#include "shell/systray.h"

#include <QSystemTrayIcon>
#include <QWidget>

SysTray::SysTray(QWidget *window) : QObject(window), window(window), icon(new QSystemTrayIcon(this))
{
    icon->setObjectName(QStringLiteral("SysTray"));
    icon->setToolTip(QStringLiteral("Tarn Server Launcher running..."));
    connect(
        icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                restore();
        });
}

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
