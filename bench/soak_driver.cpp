// The launcher left running as an operator leaves it: the Server Monitor
// polling the server and the TCP window refreshing. It prints its own
// resident memory and open descriptors once the first minute is over and
// again at the end, so bench/soak.sh can tell growth from start-up cost.

#include "shell/tarnstarter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

long residentKib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

qsizetype openDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd"))
        .entryList(QDir::NoDotAndDotDot | QDir::System)
        .size();
}

void report(const char *moment)
{
    std::printf("rss_kib %s %ld\nfds %s %lld\n", moment, residentKib(), moment,
        static_cast<long long>(openDescriptors()));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 600;

    TarnStarter window;
    window.show();
    QMetaObject::invokeMethod(&window, "Picture1_Click");
    window.findChild<QPushButton *>(QStringLiteral("Command11"))->click();

    // Short trial runs take their baseline halfway through.
    QTimer::singleShot(std::min(60000, seconds * 500), &app, [] { report("first_minute"); });
    QTimer::singleShot(seconds * 1000, &app, [&app] {
        report("end");
        // The monitor's text shows the server's latest answer; none means
        // the soak never reached the server and proves nothing.
        qsizetype answered = 0;
        for (const QWidget *top : QApplication::topLevelWidgets()) {
            if (top->objectName() == QLatin1String("SvrMon"))
                answered += top->findChild<QPlainTextEdit *>(QStringLiteral("Text1"))
                                ->toPlainText()
                                .size();
        }
        std::printf("monitor_text_chars %lld\n", static_cast<long long>(answered));
        std::fflush(stdout);
        app.quit();
    });
    return app.exec();
}
