#pragma once

// The registry calls served by a SQLite database at registryLocation(): on
// Linux always, on Windows when $TARNSTARTER_REGISTRY asks for a portable
// store. They behave as registry.h describes.

#include "platform/registry.h"

namespace platform::sqlite {

long regOpenKey(Key parent, const std::string &subKey, Key *result);
long regCreateKey(Key parent, const std::string &subKey, Key *result);
long regQueryValue(
    Key key, const std::string &name, std::uint32_t *type, std::uint8_t *data, std::uint32_t *size);
long regSetValue(Key key, const std::string &name, std::uint32_t type, const std::uint8_t *data,
    std::uint32_t size);
long regDeleteValue(Key key, const std::string &name);
long regEnumKey(Key key, std::uint32_t index, std::string *name);
long regEnumValue(Key key, std::uint32_t index, std::string *name, std::uint32_t *type,
    std::vector<std::uint8_t> *data);
long regCloseKey(Key key);
long regWriteBatch(const std::vector<RegWrite> &writes);

} // namespace platform::sqlite
