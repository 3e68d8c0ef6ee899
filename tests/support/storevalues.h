#pragma once

// Values put into and read out of the store as typed bytes, below the
// settings code, and numbered lists filled in one write.

#include "platform/registry.h"

#include <QStringList>
#include <string>

inline const std::string missing = "<missing>";

inline long putValue(const std::string &keyPath, const std::string &name, const std::string &data,
    std::uint32_t type = platform::regSz)
{
    platform::Key key = 0;
    long status = platform::regCreateKey(platform::hkeyLocalMachine, keyPath, &key);
    if (status == platform::errorSuccess)
        status = platform::regSetValue(key, name, type,
            reinterpret_cast<const std::uint8_t *>(data.data()), std::uint32_t(data.size()));
    platform::regCloseKey(key);
    return status;
}

// The bytes stored, `missing` when there are none or more than 256.
inline std::string getValue(
    const std::string &keyPath, const std::string &name, std::uint32_t *type = nullptr)
{
    platform::Key key = 0;
    std::uint8_t data[256];
    std::uint32_t size = sizeof data;
    const bool found
        = platform::regOpenKey(platform::hkeyLocalMachine, keyPath, &key) == platform::errorSuccess
        && platform::regQueryValue(key, name, type, data, &size) == platform::errorSuccess;
    platform::regCloseKey(key);
    return found ? std::string(reinterpret_cast<char *>(data), size) : missing;
}
