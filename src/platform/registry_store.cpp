#include "platform/registry_store.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <set>
#include <thread>

namespace platform {

namespace {

// Marks a database as ours, so that another program's database that
// happens to sit at the store's location is left alone.
constexpr int applicationId = 0x5461726E;

constexpr const char *schema = R"(
CREATE TABLE keys(id INTEGER PRIMARY KEY, parent INTEGER REFERENCES keys(id),
                  name BLOB NOT NULL, fold BLOB NOT NULL, UNIQUE(parent, fold));
CREATE INDEX keys_order ON keys(parent, id);
CREATE TABLE vals(id INTEGER PRIMARY KEY, key INTEGER NOT NULL REFERENCES keys(id),
                  name BLOB NOT NULL, fold BLOB NOT NULL, type INTEGER NOT NULL,
                  data BLOB NOT NULL, UNIQUE(key, fold));
CREATE INDEX vals_order ON vals(key, id);
INSERT INTO keys(id, parent, name, fold) VALUES
    (1, NULL, 'HKEY_CLASSES_ROOT', 'HKEY_CLASSES_ROOT'),
    (2, NULL, 'HKEY_CURRENT_USER', 'HKEY_CURRENT_USER'),
    (3, NULL, 'HKEY_LOCAL_MACHINE', 'HKEY_LOCAL_MACHINE'),
    (4, NULL, 'HKEY_USERS', 'HKEY_USERS'),
    (5, NULL, 'HKEY_PERFORMANCE_DATA', 'HKEY_PERFORMANCE_DATA'),
    (6, NULL, 'HKEY_CURRENT_CONFIG', 'HKEY_CURRENT_CONFIG'),
    (7, NULL, 'HKEY_DYN_DATA', 'HKEY_DYN_DATA');
)";

constexpr const char *queryText[] = {
    "SELECT id FROM keys WHERE parent = ?1 AND fold = ?2",
    "INSERT INTO keys(parent, name, fold) VALUES(?1, ?2, ?3)",
    "SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2",
    "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
    "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data",
    "DELETE FROM vals WHERE key = ?1 AND fold = ?2",
    "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL SELECT keys.id FROM keys, tree"
    " WHERE keys.parent = tree.id) DELETE FROM vals WHERE key IN tree",
    "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL SELECT keys.id FROM keys, tree"
    " WHERE keys.parent = tree.id) DELETE FROM keys WHERE id IN tree",
    "SELECT name FROM keys WHERE parent = ?1 ORDER BY id LIMIT 1 OFFSET ?2",
    "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2",
    "BEGIN IMMEDIATE",
    "COMMIT",
    "ROLLBACK",
    "PRAGMA data_version",
};
static_assert(std::size(queryText) == static_cast<std::size_t>(StoreQuery::count));

std::set<std::string> &warnedLocations()
{
    static std::set<std::string> warned;
    return warned;
}

} // namespace

RegistryStore::~RegistryStore()
{
    close();
}

bool RegistryStore::use(const std::string &path)
{
    if (opened && path == location && storeState != StoreState::busy
        && !(snapshot && storeFileStamp(location) != snapshotStamp))
        return false;
    close();
    location = path;
    opened = true;
    open();
    return true;
}

void RegistryStore::setReadOnly(bool only)
{
    readOnly = only;
    opened = false;
}

bool RegistryStore::changedElsewhere()
{
    sqlite3_stmt *statement = query(StoreQuery::dataVersion);
    const std::int64_t version
        = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
    sqlite3_reset(statement);
    const bool changed = version != lastDataVersion;
    lastDataVersion = version;
    return changed;
}

sqlite3_stmt *RegistryStore::query(StoreQuery which)
{
    sqlite3_stmt *statement = statements[static_cast<int>(which)];
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return statement;
}

void RegistryStore::close()
{
    for (sqlite3_stmt *&statement : statements) {
        sqlite3_finalize(statement);
        statement = nullptr;
    }
    sqlite3_close(db);
    db = nullptr;
    storeState = StoreState::notWritable;
    snapshot = false;
    lastDataVersion = -1;
}

void RegistryStore::refuse(StoreState reason, const std::string &reasonText)
{
    close();
    storeState = reason;
    why = reasonText;
    // A reader is told by the tool that asked for it.
    if (!readOnly && warnedLocations().insert(location).second)
        std::fprintf(stderr,
            "TarnStarter settings store %s: %s; left untouched, settings not saved\n",
            location.c_str(), reasonText.c_str());
}

// SQLite's own busy handler backs off to 100 ms between tries, so a process
// writing in a tight loop can keep another one out past any timeout. Short
// tries with a little jitter catch the gaps between its transactions.
int RegistryStore::waitForLock(void *context, int tries)
{
    auto *store = static_cast<RegistryStore *>(context);
    const auto now = std::chrono::steady_clock::now();
    if (tries == 0)
        store->waitStart = now;
    if (now - store->waitStart >= std::chrono::seconds(5))
        return 0;
    std::this_thread::sleep_for(std::chrono::microseconds(500 + store->jitter() % 1000));
    return 1;
}

// Two processes that set up a new store at the same moment can meet a lock
// that SQLite reports at once rather than waiting for it; trying again after
// a pause lets the other one finish, so that neither call fails for it.
void RegistryStore::open()
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        tryOpen();
        if (storeState != StoreState::busy || std::chrono::steady_clock::now() >= deadline)
            return;
        std::this_thread::sleep_for(std::chrono::microseconds(500 + jitter() % 1000));
    }
}

bool RegistryStore::openConnection(const std::string &name, int flags)
{
    if (sqlite3_open_v2(name.c_str(), &db, flags, nullptr) == SQLITE_OK)
        return true;
    refuse(StoreState::notWritable, db ? sqlite3_errmsg(db) : "cannot be opened");
    return false;
}

void RegistryStore::tryOpen()
{
    std::string reason;
    if (const StoreState state = checkStoreFile(location, readOnly, &reason);
        state != StoreState::ready) {
        refuse(state, reason);
        return;
    }
    if (!openConnection(location, readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE))
        return;
    if (!readOnly && sqlite3_db_readonly(db, "main") != 0) {
        refuse(StoreState::notWritable, "cannot be opened for writing");
        return;
    }
    sqlite3_busy_handler(db, waitForLock, this);
    bool foreign = false;
    std::string failure;
    int rc = readOnly ? readOnlyStart(&foreign, &failure) : initialise(&foreign, &failure);
    // A deleted key takes its values and subkeys along, and a handle to it
    // can no longer be written to.
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
    for (int i = 0; rc == SQLITE_OK && i < static_cast<int>(StoreQuery::count); ++i) {
        rc = sqlite3_prepare_v3(
            db, queryText[i], -1, SQLITE_PREPARE_PERSISTENT, &statements[i], nullptr);
        if (rc != SQLITE_OK)
            failure = sqlite3_errmsg(db);
    }
    const int primary = rc & 0xFF;
    if (rc == SQLITE_OK) {
        storeState = StoreState::ready;
        changedElsewhere();
    } else if (foreign) {
        refuse(StoreState::notDatabase, "a database of another program");
    } else if (primary == SQLITE_EMPTY) {
        refuse(StoreState::missing, failure);
    } else if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
        // Another process held the file for too long: nothing is wrong
        // with the store, so the next call tries again.
        close();
        storeState = StoreState::busy;
        why = "held by another program for too long";
    } else {
        refuse(primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT ? StoreState::notDatabase
                                                                     : StoreState::notWritable,
            failure);
    }
}

// A reader needs the write-ahead log and its index beside the file, and must
// be able to open them. Where it cannot, as in a folder this user may not
// write, and the log holds nothing, no other program is writing: the file
// alone is the whole store, and it is read as a snapshot until it changes.
int RegistryStore::readOnlyStart(bool *foreign, std::string *failure)
{
    int tables = 0;
    int id = 0;
    int rc = survey(&tables, &id);
    if (rc != SQLITE_OK && !hasWriteAheadLog(location)) {
        snapshotStamp = storeFileStamp(location);
        sqlite3_close(db);
        db = nullptr;
        std::string uri = "file:";
        for (const char c : location) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            uri += std::isalnum(static_cast<unsigned char>(c)) || c == '/' ? std::string(1, c)
                                                                           : escaped;
        }
        rc = sqlite3_open_v2(
            (uri + "?immutable=1").c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
        snapshot = true;
        if (rc == SQLITE_OK)
            rc = survey(&tables, &id);
    }
    if (rc != SQLITE_OK) {
        *failure = sqlite3_errmsg(db);
        return rc;
    }
    *foreign = id != applicationId && (tables != 0 || id != 0);
    if (id != applicationId && !*foreign) {
        *failure = "holds no settings";
        return SQLITE_EMPTY;
    }
    return *foreign ? SQLITE_NOTADB : SQLITE_OK;
}

int RegistryStore::survey(int *tables, int *id)
{
    sqlite3_stmt *statement = nullptr;
    int rc = sqlite3_prepare_v2(db,
        "SELECT (SELECT count(*) FROM sqlite_schema),"
        " (SELECT application_id FROM pragma_application_id)",
        -1, &statement, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW) {
            *tables = sqlite3_column_int(statement, 0);
            *id = sqlite3_column_int(statement, 1);
            rc = SQLITE_OK;
        }
    }
    sqlite3_finalize(statement);
    return rc;
}

// Accepts a database that is already ours and sets up a new, empty one;
// anything else is marked foreign and left as it is.
int RegistryStore::initialise(bool *foreign, std::string *failure)
{
    const auto failed = [&](int rc) {
        *failure = sqlite3_errmsg(db);
        if (!sqlite3_get_autocommit(db))
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return rc;
    };
    int tables = 0;
    int id = 0;
    if (const int rc = survey(&tables, &id); rc != SQLITE_OK)
        return failed(rc);
    *foreign = id != applicationId && (tables != 0 || id != 0);
    if (*foreign)
        return SQLITE_NOTADB;
    // WAL lets readers go on while another process writes. The mode is kept
    // in the file, so after the first time this changes nothing.
    if (const int rc = sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
        rc != SQLITE_OK)
        return failed(rc);
    if (id == applicationId)
        return SQLITE_OK;
    if (const int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        rc != SQLITE_OK)
        return failed(rc);
    // Another process may have set the store up while this one waited.
    if (const int rc = survey(&tables, &id); rc != SQLITE_OK)
        return failed(rc);
    if (id != applicationId) {
        *foreign = tables != 0 || id != 0;
        if (*foreign)
            return failed(SQLITE_NOTADB);
        const std::string setup
            = std::string(schema) + "PRAGMA application_id = " + std::to_string(applicationId);
        if (const int rc = sqlite3_exec(db, setup.c_str(), nullptr, nullptr, nullptr);
            rc != SQLITE_OK)
            return failed(rc);
    }
    if (const int rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr); rc != SQLITE_OK)
        return failed(rc);
    return SQLITE_OK;
}

} // namespace platform
