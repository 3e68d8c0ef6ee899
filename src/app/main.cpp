#include "shell/tarnstarter.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TarnStarter"));

    auto *window = new TarnStarter;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return app.exec();
}
