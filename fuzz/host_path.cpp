// Paths reach the platform layer from the settings store, configuration
// files and remote-console commands. On a small tree behind a wine drive,
// any path must map without fault, stay a path of the drive it names, and map
// to itself once mapped.

#include "fuzzcheck.h"
#include "platform/winpath.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

std::string root;

void makeTree()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "winpath-fuzz.XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    root = pattern;
    namespace fs = std::filesystem;
    const fs::path drive = fs::path(root) / "drive";
    fs::create_directories(drive / "Games" / "Tarn" / "USER" / "MAPS" / "dm");
    fs::create_directories(drive / "Games" / "tarn" / "base");
    std::ofstream(drive / "Games" / "Tarn" / "USER" / "Dedicated.cfg") << "set a 1\n";
    std::ofstream(drive / "Games" / "Tarn" / "USER" / "MAPS" / "dm" / "QEVCON1.bsp") << "x";
    std::ofstream(drive / "Games" / "Tarn" / "TARN.EXE") << "MZ";
    fs::create_directories(fs::path(root) / "prefix" / "dosdevices");
    fs::create_directory_symlink(drive, fs::path(root) / "prefix" / "dosdevices" / "c:");
    setenv("WINEPREFIX", (fs::path(root) / "prefix").c_str(), 1);
    // Relative paths resolve from the current folder: keep them in the tree.
    if (chdir(drive.c_str()) != 0)
        std::abort();
    std::atexit([] { std::filesystem::remove_all(root); });
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    makeTree();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string path(reinterpret_cast<const char *>(data), size);
    const std::string mapped = platform::hostPath(path);
    platform::shortPath(path);

    const bool onDriveC = size >= 2 && (path[0] == 'c' || path[0] == 'C') && path[1] == ':';
    if (onDriveC)
        fuzzRequire(mapped.starts_with(root + "/prefix/dosdevices/c:"), "C: stays on its drive");
    if (!mapped.empty() && mapped[0] == '/')
        fuzzRequire(platform::hostPath(mapped) == mapped, "a mapped path maps to itself");
    return 0;
}
