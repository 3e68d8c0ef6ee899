#pragma once

// .reg files of the registry editor. Reading takes REGEDIT4 text in
// Windows-1252 bytes and the "Windows Registry Editor Version 5.00" files
// that today's editor writes in UTF-16 with a byte-order mark, and yields the
// writes to apply, their names and text in UTF-8. Writing gives a file that
// reads back to the same writes.

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

// The file of keys and values in the order given: a write without a value
// names a key, one with a value belongs to the key named last. REGEDIT4 when
// every name and text fits Windows-1252, the code page that format is read
// in; else the UTF-16 format, so that nothing turns into '?'. False when a
// name holds a line break, which no line of the file can carry.
bool regFile(const std::vector<platform::RegWrite> &writes, std::string *bytes);

} // namespace tarnreg
