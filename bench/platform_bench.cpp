// Windows-style path lookup over a large map folder, and one settings read
// and one settings write through the registry calls, opened and closed the
// way the settings code does it. Prints `metric NAME VALUE UNIT` lines after
// the usual report.

#include "platform/registry.h"
#include "platform/winpath.h"

#include "recorder.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int mapFiles = 2000;

// A game folder whose map folder holds 2,000 files, in a private store.
class World
{
public:
    World()
    {
        char pattern[] = "/tmp/platform_bench_XXXXXX";
        root = mkdtemp(pattern);
        fs::create_directories(root / "games/tarn/user/maps/dm");
        for (int i = 0; i < mapFiles; ++i)
            std::ofstream(root / ("games/tarn/user/maps/dm/map" + std::to_string(i) + ".bsp"));
        setenv("TARNSTARTER_REGISTRY", (root / "registry.db").c_str(), 1);
    }
    ~World() { fs::remove_all(root); }

    fs::path root;
};

const World *world = nullptr;

std::string windowsForm(const std::string &tail)
{
    return world->root.string() + tail;
}

void hostPathExact(benchmark::State &state)
{
    const std::string path = windowsForm("\\games\\tarn\\user\\maps\\dm\\map1999.bsp");
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::hostPath(path));
}

// Every wrong-case component costs one read of its folder.
void hostPathCaseBlind(benchmark::State &state)
{
    const std::string path = windowsForm("\\GAMES\\TARN\\USER\\MAPS\\DM\\MAP1999.BSP");
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::hostPath(path));
}

long writeSetting(const std::string &text)
{
    platform::Key key = 0;
    long status = platform::regCreateKey(
        platform::hkeyLocalMachine, "SOFTWARE\\Quillon\\TarnLauncher", &key);
    if (status == platform::errorSuccess) {
        status = platform::regSetValue(key, "Welcome_Mess", platform::regSz,
            reinterpret_cast<const std::uint8_t *>(text.c_str()),
            static_cast<std::uint32_t>(text.size() + 1));
        platform::regCloseKey(key);
    }
    return status;
}

void registryRead(benchmark::State &state)
{
    if (writeSetting("Die...") != platform::errorSuccess) {
        state.SkipWithError("store not writable");
        return;
    }
    for (auto _ : state) {
        platform::Key key = 0;
        std::uint8_t buffer[255];
        std::uint32_t size = sizeof buffer;
        std::uint32_t type = 0;
        if (platform::regOpenKey(
                platform::hkeyLocalMachine, "SOFTWARE\\Quillon\\TarnLauncher", &key)
            == platform::errorSuccess) {
            benchmark::DoNotOptimize(
                platform::regQueryValue(key, "Welcome_Mess", &type, buffer, &size));
            platform::regCloseKey(key);
        }
    }
}

void registryWrite(benchmark::State &state)
{
    for (auto _ : state) {
        if (writeSetting("Die...") != platform::errorSuccess) {
            state.SkipWithError("store not writable");
            return;
        }
    }
}

} // namespace

BENCHMARK(hostPathExact)->Unit(benchmark::kMicrosecond);
BENCHMARK(hostPathCaseBlind)->Unit(benchmark::kMicrosecond);
BENCHMARK(registryRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(registryWrite)->Unit(benchmark::kMicrosecond)->UseRealTime();

int main(int argc, char **argv)
{
    const World files;
    world = &files;
    Recorder recorder;
    recorder.run(argc, argv);

    const std::pair<const char *, const char *> metrics[] = {
        {"hostPathExact", "platform_hostpath_exact_us"},
        {"hostPathCaseBlind", "platform_hostpath_caseblind_us"},
        {"registryRead", "platform_registry_read_us"},
        {"registryWrite", "platform_registry_write_us"},
    };
    for (const auto &[function, metric] : metrics)
        recorder.print(function, metric, "us");
    return 0;
}
