// The registry calls on Windows: the system's registry through advapi32,
// unless $TARNSTARTER_REGISTRY names a SQLite file for a portable set-up.
//
// The program's names and text are UTF-8. They go through the wide calls, so
// that the registry holds the same text whatever the machine's ANSI code
// page is (the "A" calls would read and give it in that code page, which
// holds no Cyrillic on a Western system and no accents on a Japanese one).

#include "platform/registry.h"

#include "platform/pathparts.h"
#include "platform/registry_sqlite.h"
#include "platform/registry_store.h"
#include "platform/text_windows.h"

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
    key = withoutView(key);
    if (isPredefinedKey(key))
        return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(key)));
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key));
}

Key keyOf(HKEY key)
{
    return static_cast<Key>(reinterpret_cast<std::uintptr_t>(key));
}

// The view a root key names; keys opened below one carry theirs already.
REGSAM viewOf(Key key)
{
    if (withoutView(key) == key)
        return 0;
    return (key & registryView32) ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

std::wstring wide(const std::string &text)
{
    return wideFromUtf8(text);
}

std::string narrow(const wchar_t *text, std::size_t length)
{
    return utf8FromWide(std::wstring(text, length));
}

// A value's data as the registry holds it: text as UTF-16.
std::vector<BYTE> systemData(DWORD type, const std::uint8_t *data, std::size_t size)
{
    if (!isTextType(type))
        return std::vector<BYTE>(data, data + size);
    const std::wstring text = wide(std::string(reinterpret_cast<const char *>(data), size));
    const auto *bytes = reinterpret_cast<const BYTE *>(text.data());
    return std::vector<BYTE>(bytes, bytes + text.size() * sizeof(wchar_t));
}

std::vector<std::uint8_t> programData(DWORD type, std::vector<BYTE> data)
{
    if (!isTextType(type))
        return data;
    std::wstring text(data.size() / sizeof(wchar_t), L'\0');
    std::copy(data.begin(), data.begin() + text.size() * sizeof(wchar_t),
        reinterpret_cast<BYTE *>(text.data()));
    const std::string bytes = narrow(text.data(), text.size());
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

long setSystemValue(HKEY key, const std::wstring &name, DWORD type, const std::vector<BYTE> &data)
{
    return RegSetValueExW(key, name.c_str(), 0, type, data.data(), DWORD(data.size()));
}

// A value whole, read again should it grow between the size query and the
// read.
long readSystemValue(HKEY key, const std::wstring &name, DWORD *type, std::vector<BYTE> *data)
{
    long status = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 4 && status == ERROR_MORE_DATA; ++attempt) {
        DWORD size = 0;
        status = RegQueryValueExW(key, name.c_str(), nullptr, type, nullptr, &size);
        if (status != ERROR_SUCCESS)
            return status;
        data->resize(size);
        status = RegQueryValueExW(key, name.c_str(), nullptr, type, data->data(), &size);
        data->resize(size);
    }
    return status;
}

std::string joinParts(const std::vector<std::string> &parts, std::size_t count)
{
    std::string path;
    for (std::size_t i = 0; i < count; ++i)
        path += (i ? "\\" : "") + parts[i];
    return path;
}

std::wstring keyPath(const std::string &path)
{
    const std::vector<std::string> parts = keyPathParts(path);
    return wide(joinParts(parts, parts.size()));
}

struct OldValue
{
    HKEY key;
    std::wstring name;
    bool existed;
    DWORD type;
    std::vector<BYTE> data;
};

struct CreatedKey
{
    HKEY root;
    std::wstring path;
    REGSAM view;
};

// What a batch changed, so that a failure part way can put it back.
struct Undo
{
    std::vector<CreatedKey> createdKeys;
    std::vector<OldValue> values;
    std::vector<HKEY> openKeys;

    void revert()
    {
        for (auto value = values.rbegin(); value != values.rend(); ++value) {
            if (value->existed)
                setSystemValue(value->key, value->name, value->type, value->data);
            else
                RegDeleteValueW(value->key, value->name.c_str());
        }
        for (auto key = createdKeys.rbegin(); key != createdKeys.rend(); ++key)
            RegDeleteKeyExW(key->root, key->path.c_str(), key->view, 0);
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
        const long status = RegOpenKeyExW(handle(write.hive), wide(joinParts(parts, depth)).c_str(),
            0, access | viewOf(write.hive), &key);
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
    const REGSAM view = viewOf(write.hive);
    HKEY key = handle(write.hive);
    for (std::size_t depth = 1; depth <= parts.size(); ++depth) {
        HKEY child = nullptr;
        DWORD disposition = 0;
        const long status = RegCreateKeyExW(key, wide(parts[depth - 1]).c_str(), 0, nullptr,
            REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE | view, nullptr, &child, &disposition);
        if (status != ERROR_SUCCESS)
            return status;
        undo.openKeys.push_back(child);
        if (disposition == REG_CREATED_NEW_KEY)
            undo.createdKeys.push_back({handle(write.hive), wide(joinParts(parts, depth)), view});
        key = child;
    }
    if (!write.hasValue)
        return errorSuccess;
    OldValue old {key, wide(write.valueName), false, REG_NONE, {}};
    const long status = readSystemValue(key, old.name, &old.type, &old.data);
    old.existed = status == ERROR_SUCCESS;
    // A value that cannot be read back could not be put back either.
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        return status;
    undo.values.push_back(std::move(old));
    return setSystemValue(key, wide(write.valueName), write.type,
        systemData(write.type, write.data.data(), write.data.size()));
}

} // namespace

long regOpenKey(Key parent, const std::string &subKey, Key *result)
{
    if (portable())
        return sqlite::regOpenKey(withoutView(parent), subKey, result);
    if (!result)
        return errorInvalidParameter;
    HKEY opened = nullptr;
    const long status = RegOpenKeyExW(
        handle(parent), keyPath(subKey).c_str(), 0, KEY_READ | viewOf(parent), &opened);
    if (status == ERROR_SUCCESS)
        *result = keyOf(opened);
    return status;
}

long regCreateKey(Key parent, const std::string &subKey, Key *result)
{
    if (portable())
        return sqlite::regCreateKey(withoutView(parent), subKey, result);
    if (!result)
        return errorInvalidParameter;
    HKEY created = nullptr;
    const long status = RegCreateKeyExW(handle(parent), keyPath(subKey).c_str(), 0, nullptr,
        REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE | viewOf(parent), nullptr, &created, nullptr);
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
    std::vector<BYTE> stored;
    const long status = readSystemValue(handle(key), wide(name), &valueType, &stored);
    if (status != ERROR_SUCCESS)
        return status;
    const std::vector<std::uint8_t> value = programData(valueType, std::move(stored));
    if (type)
        *type = valueType;
    if (!size)
        return errorSuccess;
    const bool fits = value.size() <= *size;
    if (data && fits)
        std::copy(value.begin(), value.end(), data);
    *size = std::uint32_t(value.size());
    return !data || fits ? errorSuccess : errorMoreData;
}

long regSetValue(Key key, const std::string &name, std::uint32_t type, const std::uint8_t *data,
    std::uint32_t size)
{
    if (portable())
        return sqlite::regSetValue(key, name, type, data, size);
    if (!data && size)
        return errorInvalidParameter;
    return setSystemValue(handle(key), wide(name), type, systemData(type, data, size));
}

long regDeleteValue(Key key, const std::string &name)
{
    if (portable())
        return sqlite::regDeleteValue(key, name);
    return RegDeleteValueW(handle(key), wide(name).c_str());
}

long regEnumKey(Key key, std::uint32_t index, std::string *name)
{
    if (portable())
        return sqlite::regEnumKey(key, index, name);
    if (!name)
        return errorInvalidParameter;
    // A key name is at most 255 characters.
    wchar_t buffer[256];
    DWORD length = DWORD(std::size(buffer));
    const long status
        = RegEnumKeyExW(handle(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS)
        *name = narrow(buffer, length);
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
        status = RegQueryInfoKeyW(handle(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
            nullptr, &longestName, &longestData, nullptr, nullptr);
        if (status != ERROR_SUCCESS)
            return status;
        std::wstring nameBuffer(longestName + 1, L'\0');
        std::vector<BYTE> dataBuffer(longestData);
        DWORD nameLength = longestName + 1;
        DWORD dataLength = longestData;
        DWORD valueType = 0;
        status = RegEnumValueW(handle(key), index, nameBuffer.data(), &nameLength, nullptr,
            &valueType, dataBuffer.data(), &dataLength);
        if (status == ERROR_SUCCESS) {
            *name = narrow(nameBuffer.data(), nameLength);
            if (type)
                *type = valueType;
            dataBuffer.resize(dataLength);
            if (data)
                *data = programData(valueType, std::move(dataBuffer));
        }
    }
    return status;
}

long regDeleteTree(Key parent, const std::string &subKey)
{
    if (portable())
        return sqlite::regDeleteTree(withoutView(parent), subKey);
    // Without a subkey the call would empty parent itself.
    const std::wstring path = keyPath(subKey);
    if (path.empty())
        return errorAccessDenied;
    // The key is emptied in the parent's view, then removed in that view.
    HKEY opened = nullptr;
    long status = RegOpenKeyExW(handle(parent), path.c_str(), 0,
        DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE | viewOf(parent),
        &opened);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegDeleteTreeW(opened, nullptr);
    RegCloseKey(opened);
    if (status != ERROR_SUCCESS)
        return status;
    return RegDeleteKeyExW(handle(parent), path.c_str(), viewOf(parent), 0);
}

long regCloseKey(Key key)
{
    if (isPredefinedKey(withoutView(key)))
        return errorSuccess;
    if (portable())
        return sqlite::regCloseKey(key);
    return RegCloseKey(handle(key));
}

// The per-user places matter only for HKLM in the system's registry.
bool hasUserPlaces(Key hive)
{
    return !portable() && withoutView(hive) == hkeyLocalMachine;
}

std::vector<RegPlace> settingReadPlaces(Key hive, const std::string &keyPath)
{
    if (!hasUserPlaces(hive))
        return {{hive, keyPath}};
    std::vector<RegPlace> places {{hkeyCurrentUser, keyPath}};
    // Windows virtualised the writes of a 32-bit program without a manifest
    // that a standard user made below HKLM\SOFTWARE, in the 32-bit view.
    const std::vector<std::string> parts = keyPathParts(keyPath);
    if ((hive & registryView32) && parts.size() > 1
        && CompareStringOrdinal(wide(parts[0]).c_str(), -1, L"SOFTWARE", -1, TRUE) == CSTR_EQUAL) {
        const std::vector<std::string> below(parts.begin() + 1, parts.end());
        places.push_back({hkeyCurrentUser,
            "Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\WOW6432Node\\"
                + joinParts(below, below.size())});
    }
    places.push_back({hive, keyPath});
    return places;
}

std::vector<RegPlace> settingWritePlaces(Key hive, const std::string &keyPath)
{
    if (!hasUserPlaces(hive))
        return {{hive, keyPath}};
    return {{hive, keyPath}, {hkeyCurrentUser, keyPath}};
}

// The system registry has no transactions that every Windows (and Wine)
// offers. So the batch first checks that every key can be reached with the
// rights it needs, then writes, and should a write still fail, puts back the
// values it changed and removes the keys it made.
long regWriteBatch(const std::vector<RegWrite> &writes)
{
    if (portable()) {
        std::vector<RegWrite> plain = writes;
        for (RegWrite &write : plain)
            write.hive = withoutView(write.hive);
        return sqlite::regWriteBatch(plain);
    }
    for (const RegWrite &write : writes) {
        if (!isPredefinedKey(withoutView(write.hive)))
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

void openStoreWritable()
{
    sqlite::openStoreWritable();
}

std::string storeProblem()
{
    return portable() ? sqlite::storeProblem() : std::string();
}

} // namespace platform
