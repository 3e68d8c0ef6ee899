// The Server Monitor's two hot paths: one datagram of the largest size taken
// in and shown, and one poll to the stand-in server on loopback answered and
// shown (the three seconds between polls aside). Prints `metric NAME VALUE
// UNIT` lines after the usual report.

#include "shell/svrmon.h"
#include "store/settingsstore.h"

#include "recorder.h"
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>

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
    QTemporaryDir dir;
    qputenv("TARNSTARTER_REGISTRY", dir.filePath("registry.db").toLocal8Bit());
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    const quint16 port = probe.localPort();
    probe.close();
    QDir().mkpath(dir.filePath("Game/USER"));
    QFile config(dir.filePath("Game/USER/Dedicated.cfg"));
    if (!config.open(QIODevice::WriteOnly))
        return state.SkipWithError("cannot write the configuration");
    config.write("set rcon_password benchpw\r\nset bots 8\r\nmap DM/QEVCON1\r\n");
    config.close();

    QProcess server;
    server.setWorkingDirectory(dir.filePath("Game"));
    server.start(qEnvironmentVariable("TARN_TOOLS_DIR", "build/tools") + "/tarnded/tarnded",
        {"+set", "dedicated", "1", "+set", "hostport", QString::number(port)});
    while (!server.peek(1 << 16).contains("Listening on") && server.waitForReadyRead(10000)) { }
    if (server.state() != QProcess::Running)
        return state.SkipWithError("tarnded did not start (set TARN_TOOLS_DIR)");
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
    server.terminate();
    server.waitForFinished();
}

} // namespace

BENCHMARK(replyShown)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(pollRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    benchmark::Shutdown();

    for (const auto &[name, unit] : {std::pair {"replyShown", "monitor_reply_65507_ms"},
             std::pair {"pollRoundTrip", "monitor_poll_round_trip_ms"}}) {
        recorder.print(name, unit, "ms");
    }
    return 0;
}
