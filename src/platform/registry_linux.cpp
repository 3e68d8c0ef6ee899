#include "platform/registry.h"

#include "platform/registry_sqlite.h"

// Linux has no registry of its own: the SQLite store serves every call, in
// its one view.

namespace platform {

long regOpenKey(Key parent, const std::string &subKey, Key *result)
{
    return sqlite::regOpenKey(withoutView(parent), subKey, result);
}

long regCreateKey(Key parent, const std::string &subKey, Key *result)
{
    return sqlite::regCreateKey(withoutView(parent), subKey, result);
}

long regQueryValue(
    Key key, const std::string &name, std::uint32_t *type, std::uint8_t *data, std::uint32_t *size)
{
    return sqlite::regQueryValue(key, name, type, data, size);
}

long regSetValue(Key key, const std::string &name, std::uint32_t type, const std::uint8_t *data,
    std::uint32_t size)
{
    return sqlite::regSetValue(key, name, type, data, size);
}

long regDeleteValue(Key key, const std::string &name)
{
    return sqlite::regDeleteValue(key, name);
}

long regEnumKey(Key key, std::uint32_t index, std::string *name)
{
    return sqlite::regEnumKey(key, index, name);
}

long regEnumValue(Key key, std::uint32_t index, std::string *name, std::uint32_t *type,
    std::vector<std::uint8_t> *data)
{
    return sqlite::regEnumValue(key, index, name, type, data);
}

long regDeleteTree(Key parent, const std::string &subKey)
{
    return sqlite::regDeleteTree(parent, subKey);
}

long regCloseKey(Key key)
{
    return sqlite::regCloseKey(key);
}

std::vector<RegPlace> settingReadPlaces(Key hive, const std::string &keyPath)
{
    return {{hive, keyPath}};
}

std::vector<RegPlace> settingWritePlaces(Key hive, const std::string &keyPath)
{
    return {{hive, keyPath}};
}

long regWriteBatch(const std::vector<RegWrite> &writes)
{
    std::vector<RegWrite> plain = writes;
    for (RegWrite &write : plain)
        write.hive = withoutView(write.hive);
    return sqlite::regWriteBatch(plain);
}

void openStoreReadOnly()
{
    sqlite::openStoreReadOnly();
}

void openStoreWritable()
{
    sqlite::openStoreWritable();
}

std::string storeProblem()
{
    return sqlite::storeProblem();
}

} // namespace platform
