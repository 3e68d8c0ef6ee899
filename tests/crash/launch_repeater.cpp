// Presses "Go" over and over in one game folder, the welcome message naming
// the round, and prints each round once its launch has returned.
//
//   crash_launch_repeater GAME_FOLDER FIRST_ROUND [LAST_ROUND]

#include "shell/messagebox.h"
#include "shell/tarnstarter.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <climits>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const long long first = std::atoll(argv[2]);
    const long long last = argc > 3 ? std::atoll(argv[3]) : LLONG_MAX;
    setMessageBoxAnswerer(
        [](QMessageBox::Icon, const QString &, const QString &) { return int(QMessageBox::Ok); });

    TarnStarter window;
    window.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(folder);
    auto *welcome = window.findChild<QLineEdit *>(QStringLiteral("Text3"));
    auto *go = window.findChild<QPushButton *>(QStringLiteral("Command1"));
    std::printf("ready\n");
    std::fflush(stdout);
    for (long long round = first; round <= last; ++round) {
        welcome->setText(QStringLiteral("round %1").arg(round));
        go->click();
        std::printf("%lld\n", round);
        std::fflush(stdout);
    }
    return 0;
}
