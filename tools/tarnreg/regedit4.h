#pragma once

// REGEDIT4 text: the .reg format of the registry editor, in Windows-1252
// bytes. Reading yields the writes to apply; writing turns one key and its
// values into text that reads back to the same bytes.

#include "platform/registry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnreg {

struct RegFile
{
    std::vector<platform::RegWrite> writes;
    int errorLine = 0; // the first faulty line, 0 when the whole text is sound
    std::string error;
};

RegFile parseRegedit4(std::string_view bytes);

constexpr std::string_view regedit4Header = "REGEDIT4\r\n";

// "\r\n[name]\r\n"; false when the name cannot be written on one line.
bool regedit4Key(const std::string &fullName, std::string *text);

// One "name"=data line; false when the name cannot be written on one line.
bool regedit4Value(const std::string &name, std::uint32_t type,
    const std::vector<std::uint8_t> &data, std::string *text);

} // namespace tarnreg
