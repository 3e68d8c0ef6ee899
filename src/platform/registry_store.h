#pragma once

// The connection behind the registry calls: one SQLite database per store
// location, opened once and kept with its prepared statements until the
// location changes. A file that is not a usable store is never written to.

#include <chrono>
#include <cstdint>
#include <random>
#include <sqlite3.h>
#include <string>

namespace platform {

enum class StoreQuery {
    findChild,
    insertChild,
    findValue,
    upsertValue,
    deleteValue,
    deleteTreeValues,
    deleteTreeKeys,
    enumKey,
    enumValue,
    begin,
    commit,
    rollback,
    dataVersion,
    count
};

enum class StoreState { ready, busy, notWritable, notDatabase, missing };

// Where the store lives: $TARNSTARTER_REGISTRY, else
// $XDG_CONFIG_HOME/tarnstarter/registry.db with ~/.config as the fallback.
// On Windows only $TARNSTARTER_REGISTRY names one: "" means the system's
// own registry.
std::string registryLocation();

// Makes the store file usable: its folder exists, it is a regular file that
// is empty or a SQLite database, and it and its folder can be written.
// Anything else gives the reason in *why and is left as it is. To be read
// only, the file must be there and readable, and nothing is created.
StoreState checkStoreFile(const std::string &location, bool readOnly, std::string *why);

// Whether a write-ahead log beside the store file holds anything; one that
// a reader left behind is empty.
bool hasWriteAheadLog(const std::string &location);

// What changes when the store file or its write-ahead log changes.
std::string storeFileStamp(const std::string &location);

class RegistryStore
{
public:
    RegistryStore() = default;
    RegistryStore(const RegistryStore &) = delete;
    RegistryStore &operator=(const RegistryStore &) = delete;
    ~RegistryStore();

    // Points the connection at path, opening it when it differs from the
    // current one (or was busy the last time). True when it was (re)opened.
    bool use(const std::string &path);
    StoreState state() const { return storeState; }
    // Why the store cannot be used, once state() is not ready.
    const std::string &problem() const { return why; }

    // From now on the store is only read: never created, set up or written;
    // or, with false, opened for writing again.
    void setReadOnly(bool only = true);
    bool isReadOnly() const { return readOnly; }

    // True when another connection has committed since the last call.
    bool changedElsewhere();

    // A prepared statement, reset and cleared, ready for binding.
    sqlite3_stmt *query(StoreQuery which);
    std::int64_t lastInsertId() const { return sqlite3_last_insert_rowid(db); }
    sqlite3 *connection() const { return db; }

    // Root keys are the first rows of the key table.
    static std::int64_t rootRow(std::uint64_t hive) { return std::int64_t(hive - 0x80000000) + 1; }

private:
    static int waitForLock(void *context, int tries);
    void close();
    void open();
    void tryOpen();
    int survey(int *tables, int *id);
    int initialise(bool *foreign, std::string *failure);
    bool openConnection(const std::string &name, int flags);
    int readOnlyStart(bool *foreign, std::string *failure);
    void refuse(StoreState reason, const std::string &why);

    std::string location;
    std::string why;
    bool opened = false;
    bool readOnly = false;
    // A store that nobody writes can be read where its log cannot be made,
    // as a snapshot of the file; it is opened again once the file changes.
    bool snapshot = false;
    std::string snapshotStamp;
    std::int64_t lastDataVersion = -1;
    StoreState storeState = StoreState::notWritable;
    sqlite3 *db = nullptr;
    sqlite3_stmt *statements[static_cast<int>(StoreQuery::count)] = {};
    std::chrono::steady_clock::time_point waitStart;
    std::minstd_rand jitter {std::random_device {}()};
};

} // namespace platform
