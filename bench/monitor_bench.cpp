// The Server Monitor's two hot paths: one datagram of the largest size taken
// in and shown, and one poll to the stand-in server on loopback answered and
// shown (the three seconds between polls aside). Prints `metric NAME VALUE
// UNIT` lines after the usual report.

#include "shell/svrmon.h"
#include "store/settingsstore.h"

#include "benchserver.h"
#include "recorder.h"
#include <QApplication>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>

namespace {

// 65,507 bytes: the header, then lines of status text.
QByteArray largestReply()
{
    QByteArray datagram("\xFF\xFF\xFF\xFFprint\n", 10);
    for (int row = 0; datagram.size() < 65507; ++row)
        datagram
            += "player" + QByteArray::number(row) + "    frags 12    ping 48    127.0.0.1:27901\n";
    datagram.truncate(65507);
    return datagram;
}

// Waits until the reply box changes, or gives up after a while.
bool waitForReply(QPlainTextEdit *reply)
{
    QEventLoop loop;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, [&] { loop.exit(1); });
    QObject::connect(reply, &QPlainTextEdit::textChanged, &loop, [&] { loop.exit(0); });
    guard.start(5000);
    return loop.exec() == 0;
}

void replyShown(benchmark::State &state)
{
    SvrMon window(std::make_shared<MonitorSession>());
    window.show();
    const QByteArray datagram = largestReply();
    for (auto _ : state) {
        window.Winsock1_DataArrival(datagram);
        // The repaint of what is now visible belongs to showing it.
        QCoreApplication::processEvents();
    }
}

void pollRoundTrip(benchmark::State &state)
{
    const BenchServer server;
    qputenv("TARNSTARTER_REGISTRY", server.dir.filePath("registry.db").toLocal8Bit());
    if (server.failure)
        return state.SkipWithError(server.failure);
    const quint16 port = server.port;
    rEGpUT(hkeyLocalMachine, launcherKey, "rcon_pw", "benchpw");
    rEGpUT(hkeyLocalMachine, launcherKey, "Server_Port", QString::number(port));

    SvrMon window(std::make_shared<MonitorSession>());
    window.show();
    auto *reply = window.findChild<QPlainTextEdit *>("Text1");
    for (auto _ : state) {
        window.Timer1_Timer();
        if (!waitForReply(reply)) {
            state.SkipWithError("no reply");
            break;
        }
    }
    if (!reply->toPlainText().startsWith("map: "))
        state.SkipWithError("the reply was not the status");
}

} // namespace

BENCHMARK(replyShown)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(pollRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Recorder recorder;
    recorder.run(argc, argv);

    for (const auto &[name, unit] : {std::pair {"replyShown", "monitor_reply_65507_ms"},
             std::pair {"pollRoundTrip", "monitor_poll_round_trip_ms"}}) {
        recorder.print(name, unit, "ms");
    }
    return 0;
}
