#include "keyname.h"

#include <array>

namespace tarnreg {

namespace {

struct Root
{
    const char *full;
    const char *shortName;
    platform::Key hive;
};

constexpr std::array<Root, 7> roots = {{
    {"HKEY_CLASSES_ROOT", "HKCR", platform::hkeyClassesRoot},
    {"HKEY_CURRENT_USER", "HKCU", platform::hkeyCurrentUser},
    {"HKEY_LOCAL_MACHINE", "HKLM", platform::hkeyLocalMachine},
    {"HKEY_USERS", "HKU", platform::hkeyUsers},
    {"HKEY_PERFORMANCE_DATA", nullptr, platform::hkeyPerformanceData},
    {"HKEY_CURRENT_CONFIG", "HKCC", platform::hkeyCurrentConfig},
    {"HKEY_DYN_DATA", nullptr, platform::hkeyDynData},
}};

// The view /reg:32 or /reg:64 chose, for the one command tarnreg runs.
platform::Key registryView = 0;

bool sameAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 0x20) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

std::optional<KeyName> parseKeyName(std::string_view text)
{
    const std::size_t slash = text.find('\\');
    const std::string_view rootText = text.substr(0, slash);
    KeyName key;
    bool known = false;
    for (const Root &root : roots) {
        if (sameAscii(rootText, root.full)
            || (root.shortName && sameAscii(rootText, root.shortName))) {
            key.hive = root.hive | registryView;
            known = true;
        }
    }
    if (!known)
        return std::nullopt;
    if (slash == std::string_view::npos)
        return key;
    std::size_t start = slash + 1;
    while (start <= text.size()) {
        std::size_t end = text.find('\\', start);
        if (end == std::string_view::npos)
            end = text.size();
        if (end > start) {
            if (!key.path.empty())
                key.path += '\\';
            key.path += text.substr(start, end - start);
        }
        start = end + 1;
    }
    return key;
}

bool takeRegistryView(std::vector<std::string> &arguments)
{
    platform::Key chosen = 0;
    for (auto arg = arguments.begin(); arg != arguments.end();) {
        const std::string_view text(*arg);
        const bool isSwitch = text.size() == 7 && (text[0] == '/' || text[0] == '-');
        const platform::Key view = !isSwitch || !sameAscii(text.substr(1, 4), "reg:") ? 0
            : text.substr(5) == "32" ? platform::registryView32
            : text.substr(5) == "64" ? platform::registryView64
                                     : 0;
        if (!view) {
            ++arg;
            continue;
        }
        if (chosen && chosen != view)
            return false;
        chosen = view;
        arg = arguments.erase(arg);
    }
    registryView = chosen;
    return true;
}

std::string fullKeyName(const KeyName &key)
{
    std::string name;
    for (const Root &root : roots) {
        if (root.hive == platform::withoutView(key.hive))
            name = root.full;
    }
    return key.path.empty() ? name : name + '\\' + key.path;
}

} // namespace tarnreg
