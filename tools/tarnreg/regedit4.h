#pragma once

// .reg files of the registry editor. Reading takes REGEDIT4 text in
// Windows-1252 bytes and the "Windows Registry Editor Version 5.00" files
// that today's editor writes in UTF-16 with a byte-order mark, and yields the
// writes to apply in the store's Windows-1252 bytes. Writing turns one key
// and its values into REGEDIT4 text that reads back to the same bytes.

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

RegFile parseRegFile(std::string_view bytes);

constexpr std::string_view regedit4Header = "REGEDIT4\r\n";

// "\r\n[name]\r\n"; false when the name cannot be written on one line.
bool regedit4Key(const std::string &fullName, std::string *text);

// One "name"=data line; false when the name cannot be written on one line.
bool regedit4Value(const std::string &name, std::uint32_t type,
    const std::vector<std::uint8_t> &data, std::string *text);

} // namespace tarnreg
