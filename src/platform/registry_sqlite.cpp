// The registry calls served by a SQLite database, for every system that has
// no registry of its own. Keys form a tree of rows; a value belongs to one
// key row and keeps its type and data bytes. The calls take and give UTF-8;
// the database keeps names and text as Windows-1252 bytes, so that stores
// written before stay as they are ('?' stands for a character outside it).

#include "platform/registry_sqlite.h"
#include "platform/codepage.h"
#include "platform/pathparts.h"

#include "platform/gameregistration.h"
#include "platform/registry_store.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

namespace platform::sqlite {

namespace {

// The registry compares names by upper-casing them: ASCII letters and the
// letters of Windows-1252.
std::string foldName(const std::string &name)
{
    std::string folded = name;
    for (char &c : folded) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7))
            c = static_cast<char>(byte - 0x20);
        else if (byte == 0x9A || byte == 0x9C || byte == 0x9E)
            c = static_cast<char>(byte - 0x10);
        else if (byte == 0xFF)
            c = static_cast<char>(0x9F);
    }
    return folded;
}

// A value's data as the database keeps it.
std::string storedData(std::uint32_t type, const void *data, std::size_t size)
{
    const std::string bytes(size ? static_cast<const char *>(data) : "", size);
    return isTextType(type) ? utf8ToCp1252(bytes) : bytes;
}

std::string givenData(std::uint32_t type, const std::string &bytes)
{
    return isTextType(type) ? cp1252ToUtf8(bytes) : bytes;
}

std::vector<std::string> storedPath(const std::string &path)
{
    return keyPathParts(utf8ToCp1252(path));
}

void bindBytes(sqlite3_stmt *statement, int index, const void *data, std::size_t size)
{
    // A null pointer would bind SQL NULL; an empty value is zero bytes.
    sqlite3_bind_blob(statement, index, size ? data : "", static_cast<int>(size), SQLITE_TRANSIENT);
}

void bindText(sqlite3_stmt *statement, int index, const std::string &bytes)
{
    bindBytes(statement, index, bytes.data(), bytes.size());
}

std::string columnBytes(sqlite3_stmt *statement, int column)
{
    const void *data = sqlite3_column_blob(statement, column);
    const int size = sqlite3_column_bytes(statement, column);
    return data ? std::string(static_cast<const char *>(data), size) : std::string();
}

long readFailure()
{
    return errorFileNotFound;
}

long writeFailure(int rc)
{
    const int primary = rc & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB ? errorRegistryCorrupt
                                                                 : errorAccessDenied;
}

// What a call does with the store; a write says why a store is unusable.
enum class Use { Read, Write };

class Registry
{
public:
    std::mutex lock;

    // Follows the store location and reports whether the store can be used.
    bool ready()
    {
        if (store.use(registryLocation())) {
            handles.clear();
            knownKeys.clear();
        }
        return store.state() == StoreState::ready;
    }

    void setReadOnly(bool only) { store.setReadOnly(only); }
    bool readOnly() const { return store.isReadOnly(); }

    std::string problem()
    {
        if (ready())
            return {};
        std::string words = "The settings store " + registryLocation();
        if (const char *named = std::getenv("TARNSTARTER_REGISTRY"); named && *named)
            words += " (named by TARNSTARTER_REGISTRY)";
        words += ": " + store.problem() + '.';
        if (store.state() == StoreState::missing)
            words += " A server is set up with: " + gameRegistrationCommand();
        return words;
    }

    // The row of an open key once the store can be used: errorSuccess, or
    // what the call returns instead.
    long keyRow(Key key, Use use, std::int64_t *id)
    {
        if (!ready())
            return use == Use::Write ? unusable() : readFailure();
        if (use == Use::Write && store.isReadOnly())
            return errorAccessDenied;
        return row(key, id) ? errorSuccess : errorInvalidHandle;
    }

    long unusable() const
    {
        return store.state() == StoreState::notDatabase ? errorRegistryCorrupt : errorAccessDenied;
    }

    bool row(Key key, std::int64_t *id) const
    {
        if (isPredefinedKey(key)) {
            *id = RegistryStore::rootRow(key);
            return true;
        }
        const auto found = handles.find(key);
        if (found == handles.end())
            return false;
        *id = found->second;
        return true;
    }

    Key newHandle(std::int64_t id)
    {
        const Key handle = nextHandle++;
        handles.emplace(handle, id);
        return handle;
    }

    bool closeHandle(Key key) { return handles.erase(key) == 1; }

    int findChild(std::int64_t parent, const std::string &name, std::int64_t *child)
    {
        sqlite3_stmt *statement = store.query(StoreQuery::findChild);
        sqlite3_bind_int64(statement, 1, parent);
        bindText(statement, 2, foldName(name));
        const int rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW)
            *child = sqlite3_column_int64(statement, 0);
        sqlite3_reset(statement);
        return rc;
    }

    // Walks down from id; rc is SQLITE_DONE when a component is missing.
    // Keys are never renamed and seldom deleted, so a key once found keeps
    // its row until a key is deleted, here or by another program: the walk
    // remembers what it found and asks the database only for keys it has not
    // met. It runs outside any write, so a write that is rolled back leaves
    // nothing remembered.
    int walk(std::int64_t *id, const std::vector<std::string> &parts)
    {
        if (!knownKeys.empty() && store.changedElsewhere())
            knownKeys.clear();
        for (const std::string &part : parts) {
            std::pair<std::int64_t, std::string> step(*id, foldName(part));
            if (const auto known = knownKeys.find(step); known != knownKeys.end()) {
                *id = known->second;
                continue;
            }
            const int rc = findChild(*id, part, id);
            if (rc != SQLITE_ROW)
                return rc;
            knownKeys.emplace(std::move(step), *id);
        }
        return SQLITE_ROW;
    }

    // Inside a write transaction: walks down, creating what is missing.
    int create(std::int64_t *id, const std::vector<std::string> &parts)
    {
        for (const std::string &part : parts) {
            int rc = findChild(*id, part, id);
            if (rc == SQLITE_DONE) {
                sqlite3_stmt *statement = store.query(StoreQuery::insertChild);
                sqlite3_bind_int64(statement, 1, *id);
                bindText(statement, 2, part);
                bindText(statement, 3, foldName(part));
                rc = sqlite3_step(statement);
                sqlite3_reset(statement);
                if (rc != SQLITE_DONE)
                    return rc;
                *id = store.lastInsertId();
            } else if (rc != SQLITE_ROW) {
                return rc;
            }
        }
        return SQLITE_OK;
    }

    // Name and data as the calls give them.
    int setValue(std::int64_t id, const std::string &givenName, std::uint32_t type,
        const void *data, std::size_t size)
    {
        const std::string name = utf8ToCp1252(givenName);
        const std::string bytes = storedData(type, data, size);
        sqlite3_stmt *statement = store.query(StoreQuery::upsertValue);
        sqlite3_bind_int64(statement, 1, id);
        bindText(statement, 2, name);
        bindText(statement, 3, foldName(name));
        sqlite3_bind_int64(statement, 4, type);
        bindText(statement, 5, bytes);
        const int rc = sqlite3_step(statement);
        sqlite3_reset(statement);
        return rc == SQLITE_DONE ? SQLITE_OK : rc;
    }

    // SQLITE_NOTFOUND when there was no such value.
    int deleteValue(std::int64_t id, const std::string &name)
    {
        sqlite3_stmt *statement = store.query(StoreQuery::deleteValue);
        sqlite3_bind_int64(statement, 1, id);
        bindText(statement, 2, foldName(utf8ToCp1252(name)));
        const int rc = sqlite3_step(statement);
        sqlite3_reset(statement);
        if (rc != SQLITE_DONE)
            return rc;
        return sqlite3_changes(store.connection()) ? SQLITE_OK : SQLITE_NOTFOUND;
    }

    // Inside a write transaction: the key of row id, its values and
    // everything below it.
    int deleteTree(std::int64_t id)
    {
        int rc = SQLITE_OK;
        for (const StoreQuery which : {StoreQuery::deleteTreeValues, StoreQuery::deleteTreeKeys}) {
            sqlite3_stmt *statement = store.query(which);
            sqlite3_bind_int64(statement, 1, id);
            rc = sqlite3_step(statement);
            sqlite3_reset(statement);
            if (rc != SQLITE_DONE)
                return rc;
        }
        knownKeys.clear();
        return SQLITE_OK;
    }

    int begin() { return step(StoreQuery::begin); }
    int commit() { return step(StoreQuery::commit); }
    void rollback() { step(StoreQuery::rollback); }

    sqlite3_stmt *query(StoreQuery which) { return store.query(which); }

private:
    int step(StoreQuery which)
    {
        sqlite3_stmt *statement = store.query(which);
        const int rc = sqlite3_step(statement);
        sqlite3_reset(statement);
        return rc == SQLITE_DONE ? SQLITE_OK : rc;
    }

    RegistryStore store;
    std::map<Key, std::int64_t> handles;
    // Handles are never reused, so one that was closed stays invalid.
    Key nextHandle = 1;
    std::map<std::pair<std::int64_t, std::string>, std::int64_t> knownKeys;
};

Registry &registry()
{
    static Registry instance;
    return instance;
}

// Runs a write inside one immediate transaction; the work returns an
// SQLite result code and the transaction is rolled back unless it is OK.
template<typename Work> long inTransaction(Registry &reg, Work work)
{
    int rc = reg.begin();
    if (rc == SQLITE_OK) {
        rc = work();
        if (rc == SQLITE_OK)
            rc = reg.commit();
        if (rc != SQLITE_OK)
            reg.rollback();
    }
    return rc == SQLITE_OK ? errorSuccess : writeFailure(rc);
}

// Hands the index-th row of an enumeration below an open key to `take`.
template<typename Take> long enumerate(Key key, std::uint32_t index, StoreQuery query, Take take)
{
    Registry &reg = registry();
    std::lock_guard guard(reg.lock);
    std::int64_t id = 0;
    if (const long status = reg.keyRow(key, Use::Read, &id); status != errorSuccess)
        return status;
    sqlite3_stmt *statement = reg.query(query);
    sqlite3_bind_int64(statement, 1, id);
    sqlite3_bind_int64(statement, 2, index);
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW)
        take(statement);
    sqlite3_reset(statement);
    if (rc == SQLITE_ROW)
        return errorSuccess;
    return rc == SQLITE_DONE ? errorNoMoreItems : readFailure();
}

} // namespace

long regOpenKey(Key parent, const std::string &subKey, Key *result)
{
    Registry &reg = registry();
    std::lock_guard guard(reg.lock);
    if (!result)
        return errorInvalidParameter;
    std::int64_t id = 0;
    if (const long status = reg.keyRow(parent, Use::Read, &id); status != errorSuccess)
        return status;
    const int rc = reg.walk(&id, storedPath(subKey));
    if (rc != SQLITE_ROW)
        return rc == SQLITE_DONE ? errorFileNotFound : readFailure();
    *result = reg.newHandle(id);
    return errorSuccess;
}

long regCreateKey(Key parent, const std::string &subKey, Key *result)
{
    Registry &reg = registry();
    std::lock_guard guard(reg.lock);
    if (!result)
        return errorInvalidParameter;
    std::int64_t parentId = 0;
    if (const long status = reg.keyRow(parent, Use::Write, &parentId); status != errorSuccess)
        return status;
    const std::vector<std::string> parts = storedPath(subKey);
    std::int64_t id = parentId;
    // Most keys exist already; only a missing one costs a write.
    if (reg.walk(&id, parts) != SQLITE_ROW) {
        id = parentId;
        if (const long status = inTransaction(reg, [&] { return reg.create(&id, parts); });
            status != errorSuccess)
            return status;
    }
    *result = reg.newHandle(id);
    return errorSuccess;
}

long regQueryValue(
    Key key, const std::string &name, std::uint32_t *type, std::uint8_t *data, std::uint32_t *size)
{
    Registry &reg = registry();
    std::lock_guard guard(reg.lock);
    if (data && !size)
        return errorInvalidParameter;
    std::int64_t id = 0;
    if (const long status = reg.keyRow(key, Use::Read, &id); status != errorSuccess)
        return status;
    sqlite3_stmt *statement = reg.query(StoreQuery::findValue);
    sqlite3_bind_int64(statement, 1, id);
    bindText(statement, 2, foldName(utf8ToCp1252(name)));
    const int rc = sqlite3_step(statement);
    if (rc != SQLITE_ROW) {
        sqlite3_reset(statement);
        return rc == SQLITE_DONE ? errorFileNotFound : readFailure();
    }
    const auto storedType = static_cast<std::uint32_t>(sqlite3_column_int64(statement, 0));
    const std::string bytes = givenData(storedType, columnBytes(statement, 1));
    if (type)
        *type = storedType;
    sqlite3_reset(statement);
    const auto needed = static_cast<std::uint32_t>(bytes.size());
    if (data && *size < needed) {
        *size = needed;
        return errorMoreData;
    }
    if (data)
        std::memcpy(data, bytes.data(), bytes.size());
    if (size)
        *size = needed;
    return errorSuccess;
}

long regSetValue(Key key, const std::string &name, std::uint32_t type, const std::uint8_t *data,
    std::uint32_t size)
{
    Registry &reg = registry();
    std::lock_guard guard(reg.lock);
    if (!data && size)
        return errorInvalidParameter;
    std::int64_t id = 0;
    if (const long status = reg.keyRow(key, Use::Write, &id); status != errorSuccess)
        return status;
    return inTransaction(reg, [&] { return reg.setValue(id, name, type, data, size); });
}

long regDeleteValue(Key key, const std::string &name)
{
    Registry &reg = registry();
    std::lock_guard guard(reg.lock);
    std::int64_t id = 0;
    if (const long status = reg.keyRow(key, Use::Write, &id); status != errorSuccess)
        return status;
    bool missing = false;
    const long status = inTransaction(reg, [&] {
        const int rc = reg.deleteValue(id, name);
        missing = rc == SQLITE_NOTFOUND;
        return missing ? SQLITE_OK : rc;
    });
    return missing && status == errorSuccess ? errorFileNotFound : status;
}

long regEnumKey(Key key, std::uint32_t index, std::string *name)
{
    if (!name)
        return errorInvalidParameter;
    return enumerate(key, index, StoreQuery::enumKey,
        [&](sqlite3_stmt *row) { *name = cp1252ToUtf8(columnBytes(row, 0)); });
}

long regEnumValue(Key key, std::uint32_t index, std::string *name, std::uint32_t *type,
    std::vector<std::uint8_t> *data)
{
    if (!name)
        return errorInvalidParameter;
    return enumerate(key, index, StoreQuery::enumValue, [&](sqlite3_stmt *row) {
        *name = cp1252ToUtf8(columnBytes(row, 0));
        const auto storedType = static_cast<std::uint32_t>(sqlite3_column_int64(row, 1));
        if (type)
            *type = storedType;
        if (data) {
            const std::string bytes = givenData(storedType, columnBytes(row, 2));
            data->assign(bytes.begin(), bytes.end());
        }
    });
}

long regCloseKey(Key key)
{
    Registry &reg = registry();
    std::lock_guard guard(reg.lock);
    if (isPredefinedKey(key))
        return errorSuccess;
    return reg.closeHandle(key) ? errorSuccess : errorInvalidHandle;
}

long regDeleteTree(Key parent, const std::string &subKey)
{
    Registry &reg = registry();
    std::lock_guard guard(reg.lock);
    const std::vector<std::string> parts = storedPath(subKey);
    std::int64_t id = 0;
    if (const long status = reg.keyRow(parent, Use::Write, &id); status != errorSuccess)
        return status;
    // Only a key below parent goes; the root keys stay.
    if (parts.empty())
        return errorAccessDenied;
    bool missing = false;
    const long status = inTransaction(reg, [&] {
        for (const std::string &part : parts) {
            const int rc = reg.findChild(id, part, &id);
            missing = rc == SQLITE_DONE;
            if (rc != SQLITE_ROW)
                return missing ? SQLITE_OK : rc;
        }
        return reg.deleteTree(id);
    });
    return missing && status == errorSuccess ? errorFileNotFound : status;
}

void openStoreReadOnly()
{
    Registry &reg = registry();
    std::lock_guard guard(reg.lock);
    reg.setReadOnly(true);
}

void openStoreWritable()
{
    Registry &reg = registry();
    std::lock_guard guard(reg.lock);
    reg.setReadOnly(false);
}

std::string storeProblem()
{
    Registry &reg = registry();
    std::lock_guard guard(reg.lock);
    return reg.problem();
}

long regWriteBatch(const std::vector<RegWrite> &writes)
{
    Registry &reg = registry();
    std::lock_guard guard(reg.lock);
    for (const RegWrite &write : writes) {
        if (!isPredefinedKey(write.hive))
            return errorInvalidHandle;
    }
    if (!reg.ready())
        return reg.unusable();
    if (reg.readOnly())
        return errorAccessDenied;
    return inTransaction(reg, [&] {
        for (const RegWrite &write : writes) {
            std::int64_t id = RegistryStore::rootRow(write.hive);
            int rc = reg.create(&id, storedPath(write.keyPath));
            if (rc == SQLITE_OK && write.hasValue)
                rc = reg.setValue(
                    id, write.valueName, write.type, write.data.data(), write.data.size());
            if (rc != SQLITE_OK)
                return rc;
        }
        return SQLITE_OK;
    });
}

} // namespace platform::sqlite
