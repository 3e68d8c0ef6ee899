// tarnctl's remote console against the stand-in server on loopback: one
// status request out and its reply in, as text for the terminal. The wait
// for the server to fall quiet, which only ends a reply, is left aside, as
// is starting the program. Prints a `metric NAME VALUE UNIT` line after the
// usual report.

#include "monitor/rconrequest.h"
#include "rconclient.h"

#include "benchserver.h"
#include "recorder.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

void rconRoundTrip(benchmark::State &state)
{
    const BenchServer server;
    if (server.failure)
        return state.SkipWithError(server.failure);
    const quint16 port = server.port;

    tarnctl::RconClient client;
    if (!client.open(QStringLiteral("127.0.0.1"), port).isEmpty())
        return state.SkipWithError("cannot open a UDP port");
    const QByteArray request = rconDatagram("benchpw", pollCommandPart(Poll::Status));
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
}

} // namespace

BENCHMARK(rconRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Recorder recorder;
    recorder.run(argc, argv);
    recorder.print("rconRoundTrip", "tarnctl_rcon_round_trip_ms", "ms");
    return 0;
}
