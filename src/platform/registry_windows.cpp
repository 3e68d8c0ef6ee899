// The registry calls on Windows: the system's registry through advapi32,
// unless $TARNSTARTER_REGISTRY names a SQLite file for a portable set-up.
//
// Names and values go through the "A" calls, which convert them with the
// system's ANSI code page: Windows-1252 on the western systems the game is
// sold for.

#include "platform/registry.h"

#include "platform/pathparts.h"
#include "platform/registry_sqlite.h"
#include "platform/registry_store.h"

#include <cstdint>
#include <windows.h>

namespace platform {

namespace {

bool portable()
{
    return !registryLocation().empty();
}

// The root keys' values here are their 32-bit handle values; a 64-bit
// system sign-extends them.
HKEY handle(Key key)
{
    if (isPredefinedKey(key))
        return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(key)));
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key));
}

Key keyOf(HKEY key)
{
    return static_cast<Key>(reinterpret_cast<std::uintptr_t>(key));
}

std::string joinParts(const std::vector<std::string> &parts, std::size_t count)
{
    std::string path;
    for (std::size_t i = 0; i < count; ++i)
        path += (i ? "\\" : "") + parts[i];
    return path;
}

std::string keyPath(const std::string &path)
{
    const std::vector<std::string> parts = keyPathParts(path);
    return joinParts(parts, parts.size());
}

long openSystemKey(Key parent, const std::string &subKey, REGSAM access, Key *result)
{
    if (!result)
        return errorInvalidParameter;
    HKEY opened = nullptr;
    const long status = RegOpenKeyExA(handle(parent), keyPath(subKey).c_str(), 0, access, &opened);
    if (status == ERROR_SUCCESS)
        *result = keyOf(opened);
    return status;
}

struct OldValue
{
    HKEY key;
    std::string name;
    bool existed;
    DWORD type;
    std::vector<BYTE> data;
};

// What a batch changed, so that a failure part way can put it back.
struct Undo
{
    std::vector<std::pair<HKEY, std::string>> createdKeys;
    std::vector<OldValue> values;
    std::vector<HKEY> openKeys;

    void revert()
    {
        for (auto value = values.rbegin(); value != values.rend(); ++value) {
            if (value->existed)
                RegSetValueExA(value->key, value->name.c_str(), 0, value->type, value->data.data(),
                    DWORD(value->data.size()));
            else
                RegDeleteValueA(value->key, value->name.c_str());
        }
        for (auto key = createdKeys.rbegin(); key != createdKeys.rend(); ++key)
            RegDeleteKeyA(key->first, key->second.c_str());
    }

    ~Undo()
    {
        for (HKEY key : openKeys)
            RegCloseKey(key);
    }
};

// The deepest key of the path that exists, opened with the right to do
// what the write needs there; nothing is changed.
long checkWrite(const RegWrite &write)
{
    const std::vector<std::string> parts = keyPathParts(write.keyPath);
    std::size_t depth = parts.size();
    for (;;) {
        const bool whole = depth == parts.size();
        REGSAM access = whole ? KEY_QUERY_VALUE : KEY_CREATE_SUB_KEY;
        if (whole && write.hasValue)
            access |= KEY_SET_VALUE;
        HKEY key = nullptr;
        const long status
            = RegOpenKeyExA(handle(write.hive), joinParts(parts, depth).c_str(), 0, access, &key);
        if (status == ERROR_SUCCESS) {
            RegCloseKey(key);
            return errorSuccess;
        }
        if (status != ERROR_FILE_NOT_FOUND || depth == 0)
            return status;
        --depth;
    }
}

long applyWrite(const RegWrite &write, Undo &undo)
{
    const std::vector<std::string> parts = keyPathParts(write.keyPath);
    HKEY key = handle(write.hive);
    for (std::size_t depth = 1; depth <= parts.size(); ++depth) {
        HKEY child = nullptr;
        DWORD disposition = 0;
        const long status = RegCreateKeyExA(key, parts[depth - 1].c_str(), 0, nullptr,
            REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &child, &disposition);
        if (status != ERROR_SUCCESS)
            return status;
        undo.openKeys.push_back(child);
        if (disposition == REG_CREATED_NEW_KEY)
            undo.createdKeys.emplace_back(handle(write.hive), joinParts(parts, depth));
        key = child;
    }
    if (!write.hasValue)
        return errorSuccess;
    OldValue old {key, write.valueName, false, REG_NONE, {}};
    DWORD size = 0;
    long status
        = RegQueryValueExA(key, write.valueName.c_str(), nullptr, &old.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        old.data.resize(size);
        status = RegQueryValueExA(
            key, write.valueName.c_str(), nullptr, &old.type, old.data.data(), &size);
        old.data.resize(size);
        old.existed = status == ERROR_SUCCESS;
    }
    // A value that cannot be read back could not be put back either.
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        return status;
    undo.values.push_back(std::move(old));
    return RegSetValueExA(
        key, write.valueName.c_str(), 0, write.type, write.data.data(), DWORD(write.data.size()));
}

} // namespace

long regOpenKey(Key parent, const std::string &subKey, Key *result)
{
    if (portable())
        return sqlite::regOpenKey(parent, subKey, result);
    return openSystemKey(parent, subKey, KEY_READ, result);
}

long regCreateKey(Key parent, const std::string &subKey, Key *result)
{
    if (portable())
        return sqlite::regCreateKey(parent, subKey, result);
    if (!result)
        return errorInvalidParameter;
    HKEY created = nullptr;
    const long status = RegCreateKeyExA(handle(parent), keyPath(subKey).c_str(), 0, nullptr,
        REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &created, nullptr);
    if (status == ERROR_SUCCESS)
        *result = keyOf(created);
    return status;
}

long regQueryValue(
    Key key, const std::string &name, std::uint32_t *type, std::uint8_t *data, std::uint32_t *size)
{
    if (portable())
        return sqlite::regQueryValue(key, name, type, data, size);
    if (data && !size)
        return errorInvalidParameter;
    DWORD valueType = 0;
    DWORD length = size ? *size : 0;
    const long status = RegQueryValueExA(
        handle(key), name.c_str(), nullptr, &valueType, data, size ? &length : nullptr);
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)
        return status;
    if (type)
        *type = valueType;
    if (size)
        *size = length;
    return status;
}

long regSetValue(Key key, const std::string &name, std::uint32_t type, const std::uint8_t *data,
    std::uint32_t size)
{
    if (portable())
        return sqlite::regSetValue(key, name, type, data, size);
    if (!data && size)
        return errorInvalidParameter;
    return RegSetValueExA(handle(key), name.c_str(), 0, type, data, size);
}

long regDeleteValue(Key key, const std::string &name)
{
    if (portable())
        return sqlite::regDeleteValue(key, name);
    return RegDeleteValueA(handle(key), name.c_str());
}

long regEnumKey(Key key, std::uint32_t index, std::string *name)
{
    if (portable())
        return sqlite::regEnumKey(key, index, name);
    if (!name)
        return errorInvalidParameter;
    // A key name is at most 255 characters.
    char buffer[256];
    DWORD length = sizeof buffer;
    const long status
        = RegEnumKeyExA(handle(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS)
        name->assign(buffer, length);
    return status;
}

long regEnumValue(Key key, std::uint32_t index, std::string *name, std::uint32_t *type,
    std::vector<std::uint8_t> *data)
{
    if (portable())
        return sqlite::regEnumValue(key, index, name, type, data);
    if (!name)
        return errorInvalidParameter;
    long status = ERROR_MORE_DATA;
    // A value that grows between the size query and the read is read again.
    for (int attempt = 0; attempt < 4 && status == ERROR_MORE_DATA; ++attempt) {
        DWORD longestName = 0;
        DWORD longestData = 0;
        status = RegQueryInfoKeyA(handle(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
            nullptr, &longestName, &longestData, nullptr, nullptr);
        if (status != ERROR_SUCCESS)
            return status;
        std::string nameBuffer(longestName + 1, '\0');
        std::vector<std::uint8_t> dataBuffer(longestData);
        DWORD nameLength = longestName + 1;
        DWORD dataLength = longestData;
        DWORD valueType = 0;
        status = RegEnumValueA(handle(key), index, nameBuffer.data(), &nameLength, nullptr,
            &valueType, dataBuffer.data(), &dataLength);
        if (status == ERROR_SUCCESS) {
            name->assign(nameBuffer.data(), nameLength);
            if (type)
                *type = valueType;
            if (data)
                data->assign(dataBuffer.begin(), dataBuffer.begin() + dataLength);
        }
    }
    return status;
}

long regDeleteTree(Key parent, const std::string &subKey)
{
    if (portable())
        return sqlite::regDeleteTree(parent, subKey);
    // Without a subkey the call would empty parent itself.
    if (keyPath(subKey).empty())
        return errorAccessDenied;
    return RegDeleteTreeA(handle(parent), keyPath(subKey).c_str());
}

long regCloseKey(Key key)
{
    if (isPredefinedKey(key))
        return errorSuccess;
    if (portable())
        return sqlite::regCloseKey(key);
    return RegCloseKey(handle(key));
}

// The system registry has no transactions that every Windows (and Wine)
// offers. So the batch first checks that every key can be reached with the
// rights it needs, then writes, and should a write still fail, puts back the
// values it changed and removes the keys it made.
long regWriteBatch(const std::vector<RegWrite> &writes)
{
    if (portable())
        return sqlite::regWriteBatch(writes);
    for (const RegWrite &write : writes) {
        if (!isPredefinedKey(write.hive))
            return errorInvalidHandle;
    }
    for (const RegWrite &write : writes) {
        if (const long status = checkWrite(write); status != errorSuccess)
            return status;
    }
    Undo undo;
    for (const RegWrite &write : writes) {
        if (const long status = applyWrite(write, undo); status != errorSuccess) {
            undo.revert();
            return status;
        }
    }
    return errorSuccess;
}

// The system registry is opened for reading wherever only reading is needed;
// the mode matters to a portable store.
void openStoreReadOnly()
{
    sqlite::openStoreReadOnly();
}

std::string storeProblem()
{
    return portable() ? sqlite::storeProblem() : std::string();
}

} // namespace platform
