// The launcher's peak memory: the main window built, shown and settled, as
// an operator starts it.

#include "shell/tarnstarter.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TarnStarter window;
    window.show();
    QTimer::singleShot(500, &app, &QApplication::quit);
    app.exec();
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("metric launcher_peak_memory %.1f MiB\n", double(usage.ru_maxrss) / 1024.0);
    return 0;
}
