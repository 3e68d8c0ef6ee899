// tarnctl's remote console against the stand-in server on loopback: one
// status request out and its reply in, as text for the terminal. The wait
// for the server to fall quiet, which only ends a reply, is left aside, as
// is starting the program. Prints a `metric NAME VALUE UNIT` line after the
// usual report.

#include "monitor/rconrequest.h"
#include "rconclient.h"

#include "recorder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <benchmark/benchmark.h>

namespace {

void rconRoundTrip(benchmark::State &state)
{
    QTemporaryDir dir;
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

    tarnctl::RconClient client;
    if (!client.open(QStringLiteral("127.0.0.1"), port).isEmpty())
        return state.SkipWithError("cannot open a UDP port");
    const QByteArray request = rconDatagram("benchpw", *pollCommandPart("Connection Monitor"));
    QString reply;
    for (auto _ : state) {
        client.send(request);
        reply = tarnctl::replyText(client.collect(tarnctl::Milliseconds(5000), {}));
        if (reply.isEmpty()) {
            state.SkipWithError("no reply");
            break;
        }
    }
    if (!reply.startsWith("map: "))
        state.SkipWithError("the reply was not the status");
    server.terminate();
    server.waitForFinished();
}

} // namespace

BENCHMARK(rconRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    benchmark::Shutdown();
    recorder.print("rconRoundTrip", "tarnctl_rcon_round_trip_ms", "ms");
    return 0;
}
