#pragma once

// Key names as reg.exe takes them: a root key, in full or abbreviated
// ("HKLM"), then the path below it.

#include "platform/registry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnreg {

struct KeyName
{
    platform::Key hive = platform::hkeyLocalMachine;
    std::string path; // components joined by single backslashes
};

std::optional<KeyName> parseKeyName(std::string_view text);

// Takes /reg:32 or /reg:64 out of the arguments: every key named afterwards
// is opened in that view of the registry. False when the two are both given.
bool takeRegistryView(std::vector<std::string> &arguments);

// "HKEY_LOCAL_MACHINE\SOFTWARE\..." as reg.exe and regedit print it.
std::string fullKeyName(const KeyName &key);

} // namespace tarnreg
