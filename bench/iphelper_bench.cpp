// The TCP table read against `ss -tan` on the same 10,000 loopback sockets,
// the TCP window's refresh over that table, and the interface classes.
// Prints `metric NAME VALUE UNIT` lines after the usual report.

#include "monitor/ciphelper.h"
#include "monitor/iphelpercall.h"
#include "platform/iphelper.h"
#include "platform/iphelper_layout.h"
#include "shell/tcptable.h"

#include "recorder.h"
#include <QApplication>
#include <QCheckBox>
#include <arpa/inet.h>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

constexpr int connectionPairs = 5000;

// One listener and 5,000 connected pairs: 10,001 sockets on loopback.
class LoopbackSockets
{
public:
    LoopbackSockets()
    {
        rlimit limit {};
        getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = std::max<rlim_t>(limit.rlim_cur, std::min<rlim_t>(limit.rlim_max, 65536));
        setrlimit(RLIMIT_NOFILE, &limit);

        const int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in where {};
        where.sin_family = AF_INET;
        where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof where;
        if (bind(server, reinterpret_cast<sockaddr *>(&where), sizeof where) != 0
            || listen(server, 128) != 0
            || getsockname(server, reinterpret_cast<sockaddr *>(&where), &length) != 0) {
            std::perror("listen");
            std::exit(1);
        }
        fds.push_back(server);
        for (int i = 0; i < connectionPairs; ++i) {
            const int client = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (client < 0 || connect(client, reinterpret_cast<sockaddr *>(&where), sizeof where)) {
                std::perror("connect (raise the open-file limit?)");
                std::exit(1);
            }
            fds.push_back(client);
            fds.push_back(accept4(server, nullptr, nullptr, SOCK_CLOEXEC));
        }
    }
    // Reset rather than closed, so that no 10,000 TIME_WAIT entries are left
    // behind to slow the next run.
    ~LoopbackSockets()
    {
        const linger reset {1, 0};
        for (int fd : fds) {
            setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
            close(fd);
        }
    }

private:
    std::vector<int> fds;
};

void tcpTableRead(benchmark::State &state)
{
    std::size_t rows = 0;
    for (auto _ : state) {
        const IpHelperTable table = readIpHelperTable(platform::GetTcpTable);
        rows = platform::decodeTcpTable(table.bytes.data(), table.bytes.size()).size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = double(rows);
}

void ssTan(benchmark::State &state)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    char ss[] = "ss";
    char tan[] = "-tan";
    char *argv[] = {ss, tan, nullptr};
    for (auto _ : state) {
        pid_t child = 0;
        int status = 0;
        if (posix_spawnp(&child, "ss", &actions, nullptr, argv, environ) != 0
            || waitpid(child, &status, 0) != child || status != 0) {
            state.SkipWithError("ss -tan did not run");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

void refreshTable(benchmark::State &state)
{
    TcpTable window;
    window.findChild<QCheckBox *>("Check1")->setChecked(false);
    for (auto _ : state)
        window.RefreshTable();
}

void interfaces(benchmark::State &state)
{
    CIpHelper helper;
    for (auto _ : state)
        benchmark::DoNotOptimize(helper.Interfaces());
}

} // namespace

BENCHMARK(tcpTableRead)->Unit(benchmark::kMillisecond);
BENCHMARK(ssTan)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK(refreshTable)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(interfaces)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const LoopbackSockets sockets;
    Recorder recorder;
    recorder.run(argc, argv);

    recorder.print("tcpTableRead", "iphelper_gettcptable_ms", "ms");
    recorder.print("ssTan", "iphelper_ss_tan_ms", "ms");
    const auto &seconds = recorder.seconds;
    if (seconds.count("tcpTableRead") && seconds.count("ssTan"))
        std::printf("metric iphelper_gettcptable_to_ss_ratio %.3f x\n",
            seconds.at("tcpTableRead") / seconds.at("ssTan"));
    recorder.print("refreshTable", "iphelper_refreshtable_ms", "ms");
    recorder.print("interfaces", "iphelper_interfaces_ms", "ms");
    return 0;
}
