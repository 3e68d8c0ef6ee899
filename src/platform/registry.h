#pragma once

// The registry's calls, in the shape advapi32 gives them, so that the Windows
// backend can forward to the real registry. On every other system they are
// served by a SQLite database (see registry_sqlite.h).
//
// Key paths, value names and the data of text values (REG_SZ, REG_EXPAND_SZ,
// REG_MULTI_SZ) are UTF-8; names are compared without regard to case and
// kept as first written. Status codes are the Windows ones.

#include "platform/winerror.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

using Key = std::uint64_t;

// Predefined root keys carry their Windows handle values.
constexpr Key hkeyClassesRoot = 0x80000000;
constexpr Key hkeyCurrentUser = 0x80000001;
constexpr Key hkeyLocalMachine = 0x80000002;
constexpr Key hkeyUsers = 0x80000003;
constexpr Key hkeyPerformanceData = 0x80000004;
constexpr Key hkeyCurrentConfig = 0x80000005;
constexpr Key hkeyDynData = 0x80000006;

constexpr bool isPredefinedKey(Key key)
{
    return key >= hkeyClassesRoot && key <= hkeyDynData;
}

// 64-bit Windows shows 32-bit programs a view of HKLM\SOFTWARE of their own
// (WOW6432Node). A root key with one of these added is opened in that view,
// as reg.exe's /reg:32 and /reg:64 choose; the keys below it stay in it. The
// SQLite store has one view only and takes the root key without them.
constexpr Key registryView32 = Key(1) << 32;
constexpr Key registryView64 = Key(1) << 33;

constexpr Key withoutView(Key key)
{
    const Key root = key & ~(registryView32 | registryView64);
    return isPredefinedKey(root) ? root : key;
}

constexpr std::uint32_t regNone = 0;
constexpr std::uint32_t regSz = 1;
constexpr std::uint32_t regBinary = 3;
constexpr std::uint32_t regDword = 4;
constexpr std::uint32_t regExpandSz = 2;
constexpr std::uint32_t regMultiSz = 7;

// The types whose data is text, which the calls carry as UTF-8.
constexpr bool isTextType(std::uint32_t type)
{
    return type == regSz || type == regExpandSz || type == regMultiSz;
}

// The number a REG_DWORD holds: four bytes, the lowest first. A shorter
// value gives what its bytes hold.
constexpr std::uint32_t regDwordValue(const std::uint8_t *data, std::size_t size)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size && i < 4; ++i)
        value |= std::uint32_t(data[i]) << (8 * i);
    return value;
}

// Where the calls find their store when $TARNSTARTER_REGISTRY names no file,
// in words for a usage text.
const char *defaultStoreName();

// One write of a batch: a key to create (with its parents) and, when
// valueName is set, a value to store in it.
struct RegWrite
{
    Key hive = hkeyLocalMachine;
    std::string keyPath;
    bool hasValue = false;
    std::string valueName;
    std::uint32_t type = regSz;
    std::vector<std::uint8_t> data;
};

#include "platform/registry_calls.inc"

// A key where the program's settings may be kept.
struct RegPlace
{
    Key hive;
    std::string keyPath;
};

// Where a setting of hive\keyPath is looked for, first found first, and
// where it is written: the first of the write places that takes it. The
// SQLite store has one place. On Windows a standard user cannot write below
// HKLM; the settings are then kept per user, under HKCU with the same path,
// and the copy Windows made of a 32-bit program's HKLM settings for such a
// user (VirtualStore) is still found.
std::vector<RegPlace> settingReadPlaces(Key hive, const std::string &keyPath);
std::vector<RegPlace> settingWritePlaces(Key hive, const std::string &keyPath);

} // namespace platform
