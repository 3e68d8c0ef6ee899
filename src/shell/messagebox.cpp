#include "shell/messagebox.h"

namespace {
MessageBoxAnswerer &answerer()
{
    static MessageBoxAnswerer instance;
    return instance;
}
} // namespace

int showMessageBox(
    QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text)
{
    if (answerer())
        return answerer()(icon, title, text);
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    return box.exec();
}

void setMessageBoxAnswerer(MessageBoxAnswerer newAnswerer)
{
    answerer() = std::move(newAnswerer);
}
