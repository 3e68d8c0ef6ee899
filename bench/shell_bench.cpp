// Speed of the settings store and of the main window's start.

#include "platform/registry.h"
#include "shell/frmcustcfg.h"
#include "shell/messagebox.h"
#include "shell/tarnstarter.h"
#include "store/settingsstore.h"

#include "recorder.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QUdpSocket>

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Each benchmark works on a store of its own.
class BenchStore
{
public:
    BenchStore() { qputenv("TARNSTARTER_REGISTRY", dir.filePath("registry.db").toLocal8Bit()); }
    QTemporaryDir dir;
};

void fillNumberedList(const QString &key, int count)
{
    std::vector<platform::RegWrite> writes;
    for (int number = 1; number <= count; ++number) {
        platform::RegWrite write;
        write.keyPath = key.toStdString();
        write.hasValue = true;
        write.valueName = numberedEntryName(number).toStdString();
        const std::string text = "DM/MAP" + std::to_string(number);
        write.data.assign(text.begin(), text.end());
        write.data.push_back(0);
        writes.push_back(std::move(write));
    }
    platform::regWriteBatch(writes);
}

void touchFiles(const QString &folder, int count)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i)
        ::close(::creat(
            QFile::encodeName(folder + QStringLiteral("/map%1.bsp").arg(i)).constData(), 0644));
}

void RegGetPresentValue(benchmark::State &state)
{
    BenchStore store;
    rEGpUT(hkeyLocalMachine, launcherKey, "Frag_Limit", "30");
    for (auto _ : state)
        benchmark::DoNotOptimize(RegGet(hkeyLocalMachine, launcherKey, "Frag_Limit"));
}
BENCHMARK(RegGetPresentValue)->Unit(benchmark::kMicrosecond);

void RegPutValue(benchmark::State &state)
{
    BenchStore store;
    int i = 0;
    for (auto _ : state)
        rEGpUT(hkeyLocalMachine, launcherKey, "Frag_Limit", QString::number(++i));
}
BENCHMARK(RegPutValue)->Unit(benchmark::kMillisecond);

void ReadNumberedList32767(benchmark::State &state)
{
    BenchStore store;
    const QString key = launcherKey + "\\CustomMAPS";
    fillNumberedList(key, 32767);
    for (auto _ : state)
        benchmark::DoNotOptimize(readNumberedList(key, RemovedEntries::Keep));
}
BENCHMARK(ReadNumberedList32767)->Unit(benchmark::kMillisecond)->Iterations(5);

void MainWindowEmptyStore(benchmark::State &state)
{
    BenchStore store;
    for (auto _ : state) {
        TarnStarter window;
        window.show();
        QApplication::processEvents();
    }
}
BENCHMARK(MainWindowEmptyStore)->Unit(benchmark::kMillisecond);

void MainWindowFullStore(benchmark::State &state)
{
    BenchStore store;
    {
        TarnStarter window;
        window.SaveSettings();
    }
    fillNumberedList(launcherKey + "\\CustomLST", 100);
    for (auto _ : state) {
        TarnStarter window;
        window.show();
        QApplication::processEvents();
    }
}
BENCHMARK(MainWindowFullStore)->Unit(benchmark::kMillisecond);

void BuildList20000Files(benchmark::State &state)
{
    BenchStore store;
    QTemporaryDir games;
    touchFiles(games.filePath("USER/MAPS/DM"), 10000);
    touchFiles(games.filePath("USER/MAPS"), 10000);
    TarnStarter window;
    window.findChild<QLineEdit *>("Text1")->setText(games.path());
    for (auto _ : state)
        window.BuildList();
}
BENCHMARK(BuildList20000Files)->Unit(benchmark::kMillisecond);

// The custom-lines window opened on a list filled to its last entry.
void CustomLinesFull(benchmark::State &state)
{
    BenchStore store;
    fillNumberedList(customCommandsKey, lastNumberedEntry);
    for (auto _ : state) {
        frmCustCFG window;
        window.show();
        QApplication::processEvents();
    }
}
BENCHMARK(CustomLinesFull)->Unit(benchmark::kMillisecond);

// From the press of "Go" until the server process runs (the start returns
// once the program has been executed).
void LaunchGo(benchmark::State &state)
{
    BenchStore store;
    QTemporaryDir games;
    QDir(games.path()).mkpath("USER/MAPLISTS");
    QFile::copy(
        qEnvironmentVariable("TARN_TOOLS_DIR") + "/tarnded/tarnded", games.filePath("tarn.exe"));
    fillNumberedList(launcherKey + "\\CustomLST", 100);
    rEGpUT(hkeyLocalMachine, launcherKey, "UseMapList", "1");
    rEGpUT(hkeyLocalMachine, launcherKey, "rcon_pw", "benchpw");
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    const quint16 port = probe.localPort();
    probe.close();

    TarnStarter window;
    window.findChild<QLineEdit *>("Text1")->setText(games.path());
    window.findChild<QLineEdit *>("Text5")->setText(QString::number(port));
    window.BuildList();
    auto *go = window.findChild<QPushButton *>("Command1");
    // A server that has freed its port may not have ended yet: "Go" then
    // asks to stop it.
    setMessageBoxAnswerer(
        [](QMessageBox::Icon, const QString &, const QString &) { return int(QMessageBox::Yes); });
    for (auto _ : state) {
        go->click();
        state.PauseTiming();
        // Stop the server and wait until its port is free for the next one.
        QUdpSocket client;
        for (int attempt = 0; attempt < 200; ++attempt) {
            client.writeDatagram(
                "\xff\xff\xff\xffrcon benchpw quit", QHostAddress::LocalHost, port);
            QThread::msleep(10);
            QUdpSocket check;
            if (check.bind(QHostAddress::LocalHost, port))
                break;
        }
        state.ResumeTiming();
    }
    setMessageBoxAnswerer({});
    for (QWidget *widget : QApplication::topLevelWidgets())
        widget->close();
}
BENCHMARK(LaunchGo)->Unit(benchmark::kMillisecond)->Iterations(20);

// From the press of "Go" until the operator is told: a port box that holds
// no port gets a message, a port another program holds the question whether
// to restart what runs there (answered "No").
void GoMessage(benchmark::State &state, bool busy)
{
    BenchStore store;
    QTemporaryDir games;
    QDir(games.path()).mkpath("USER/MAPLISTS");
    QFile::copy(
        qEnvironmentVariable("TARN_TOOLS_DIR") + "/tarnded/tarnded", games.filePath("tarn.exe"));
    QUdpSocket holder;
    holder.bind(QHostAddress::LocalHost, 0);
    TarnStarter window;
    window.findChild<QLineEdit *>("Text1")->setText(games.path());
    window.findChild<QLineEdit *>("Text5")->setText(
        busy ? QString::number(holder.localPort()) : QStringLiteral("99999"));
    QElapsedTimer clock;
    qint64 shownAfter = -1;
    setMessageBoxAnswerer([&](QMessageBox::Icon, const QString &, const QString &) {
        shownAfter = clock.nsecsElapsed();
        return int(QMessageBox::No);
    });
    auto *go = window.findChild<QPushButton *>("Command1");
    for (auto _ : state) {
        shownAfter = -1;
        clock.start();
        go->click();
        if (shownAfter < 0) {
            state.SkipWithError("no message");
            break;
        }
        state.SetIterationTime(double(shownAfter) / 1e9);
    }
    setMessageBoxAnswerer({});
}
BENCHMARK_CAPTURE(GoMessage, BadPort, false)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK_CAPTURE(GoMessage, BusyPort, true)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Recorder recorder;
    recorder.run(argc, argv);
    recorder.print("RegGetPresentValue", "regget_present_value", "us");
    recorder.print("RegPutValue", "regput_value", "ms");
    recorder.print("ReadNumberedList32767", "numbered_list_32767", "ms");
    recorder.print("MainWindowEmptyStore", "main_window_empty_store", "ms");
    recorder.print("MainWindowFullStore", "main_window_full_store", "ms");
    recorder.print("BuildList20000Files", "buildlist_20000_files", "ms");
    recorder.print("CustomLinesFull", "custom_lines_32767", "ms");
    recorder.print("LaunchGo", "launch_go_until_server_runs", "ms");
    recorder.print("GoMessage/BadPort", "go_bad_port_message", "ms");
    recorder.print("GoMessage/BusyPort", "go_busy_port_message", "ms");
    return 0;
}
