// The Server Monitor's hot paths: one datagram of the largest size taken in
// and shown, one poll to the stand-in server on loopback answered and shown
// (the three seconds between polls aside), and a status reply of 64 players
// read into the player table and shown. Prints `metric NAME VALUE
// UNIT` lines after the usual report.

#include "monitor/playertablemodel.h"
#include "shell/svrmon.h"
#include "store/settingsstore.h"

#include "benchserver.h"
#include "recorder.h"
#include <QApplication>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTableView>
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

// A full server: every score and ping changes between two replies, as they
// do between two polls.
QByteArray fullServerReply(int round)
{
    QByteArray text = "map: dm/marlow\nnum score ping name            address\n"
                      "--- ----- ---- --------------- ---------------\n";
    for (int slot = 0; slot < 64; ++slot) {
        text += QByteArray::number(slot).rightJustified(3) + ' '
            + QByteArray::number(slot + round).rightJustified(5) + ' '
            + QByteArray::number(40 + (slot * 7 + round) % 60).rightJustified(4) + " ^1Player "
            + QByteArray::number(slot).leftJustified(8) + " 192.0.2." + QByteArray::number(slot)
            + ":27960\n";
    }
    return text;
}

void playerTableUpdate(benchmark::State &state)
{
    PlayerTableModel model;
    QTableView view;
    view.setModel(&model);
    view.resize(480, 240);
    view.show();
    const QByteArray replies[2] = {fullServerReply(0), fullServerReply(1)};
    model.setPlayers(parseStatusReply(replies[1]).players);
    view.selectRow(40);
    int round = 0;
    for (auto _ : state) {
        model.setPlayers(parseStatusReply(replies[round ^= 1]).players);
        QCoreApplication::processEvents();
    }
    if (model.rowCount() != 64 || view.selectionModel()->selectedRows().size() != 1)
        state.SkipWithError("the table lost its rows or its selection");
}

} // namespace

BENCHMARK(replyShown)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(pollRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(playerTableUpdate)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Recorder recorder;
    recorder.run(argc, argv);

    for (const auto &[name, unit] : {std::pair {"replyShown", "monitor_reply_65507_ms"},
             std::pair {"pollRoundTrip", "monitor_poll_round_trip_ms"},
             std::pair {"playerTableUpdate", "player_table_64_update_ms"}}) {
        recorder.print(name, unit, "ms");
    }
    return 0;
}
