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
}

bool SysTray::isShown() const
{
    return icon->isVisible();
}

void SysTray::hideWindow(QWidget *window)
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        window->hide();
    else if (!window->isMinimized())
        window->showMinimized();
}

void SysTray::restore()
{
    window->showNormal();
    window->raise();
    window->activateWindow();
}
