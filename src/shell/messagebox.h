#pragma once

#include <QMessageBox>
#include <functional>

// Every message box of the program goes through here, so that tests can
// answer them without a person at the screen. Returns the button pressed.
int showMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title,
    const QString &text, QMessageBox::StandardButtons buttons = QMessageBox::Ok);

// Replaces the modal box with a function that receives what would be shown
// and returns the button pressed. An empty function restores the real box.
using MessageBoxAnswerer
    = std::function<int(QMessageBox::Icon icon, const QString &title, const QString &text)>;
void setMessageBoxAnswerer(MessageBoxAnswerer answerer);
