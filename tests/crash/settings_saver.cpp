// Saves the launcher's settings over and over. The frag limit and the welcome
// message carry a counter (the frag limit is saved first, the welcome message
// near the end); each counter is printed once its save has returned.
//
//   crash_settings_saver FIRST_COUNTER

#include "shell/tarnstarter.h"

#include <QApplication>
#include <QLineEdit>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    long long counter = argc > 1 ? std::atoll(argv[1]) : 1;

    TarnStarter window;
    auto *fragLimit = window.findChild<QLineEdit *>(QStringLiteral("Text4"));
    auto *welcome = window.findChild<QLineEdit *>(QStringLiteral("Text3"));
    std::printf("ready\n");
    std::fflush(stdout);
    for (;; ++counter) {
        fragLimit->setText(QString::number(counter));
        welcome->setText(QString::number(counter));
        window.SaveSettings();
        std::printf("%lld\n", counter);
        std::fflush(stdout);
    }
}
