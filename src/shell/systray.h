#pragma once

#include <QEventLoopLocker>
#include <QObject>
#include <memory>

class QMenu;
class QSystemTrayIcon;
class QWidget;

// The notification-area icon that brings the main window back while it is
// hidden: a left click or a double click restores it, and its menu offers
// the window, the Server Monitor and "Exit".
class SysTray : public QObject
{
    Q_OBJECT
public:
    explicit SysTray(QWidget *window);
    ~SysTray() override;

    void add();
    // Removing an icon that is already gone is harmless.
    void remove();
    bool isShown() const;

    // Hides the window to the icon. A window hidden there is still open:
    // closing the last other window must not end the program. Where no
    // notification area exists a hidden window could never come back, so
    // it is minimized instead.
    void hideWindow();
    // Brings the window back from the icon, normal and in front.
    void restore();
    // The tooltip adds what the monitor's status line says; "" for nothing.
    void setServerStatus(const QString &status);

signals:
    void monitorAsked();
    void exitAsked();

private:
    QWidget *window;
    QSystemTrayIcon *icon;
    // The icon does not own its menu.
    std::unique_ptr<QMenu> menu;
    std::unique_ptr<QEventLoopLocker> keepRunning;
};
