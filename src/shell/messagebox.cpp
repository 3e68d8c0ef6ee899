#include "shell/messagebox.h"

namespace {
MessageBoxAnswerer &answerer()
{
    static MessageBoxAnswerer instance;
    return instance;
}
} // namespace

int showMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title,
    const QString &text, QMessageBox::StandardButtons buttons)
{
    if (answerer())
        return answerer()(icon, title, text);
    QMessageBox box(icon, title, text, buttons, parent);
    return box.exec();
}

void setMessageBoxAnswerer(MessageBoxAnswerer newAnswerer)
{
    answerer() = std::move(newAnswerer);
}
