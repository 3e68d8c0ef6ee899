#include "platform/registry_store.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <pwd.h>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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
    "SELECT name FROM keys WHERE parent = ?1 ORDER BY id LIMIT 1 OFFSET ?2",
    "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2",
    "BEGIN IMMEDIATE",
    "COMMIT",
    "ROLLBACK",
};
static_assert(std::size(queryText) == static_cast<std::size_t>(StoreQuery::count));

std::string homeFolder()
{
    if (const char *home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd *entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return ".";
}

std::string folderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool makeFolders(const std::string &folder)
{
    struct stat info;
    if (stat(folder.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode);
    if (folder != "/" && folder != "." && !makeFolders(folderOf(folder)))
        return false;
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// Random bytes only fail at the first statement, by which time SQLite may
// already have been asked to write; the header is checked before that.
bool hasDatabaseHeader(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char header[16] = {};
    const ssize_t got = ::read(fd, header, sizeof header);
    ::close(fd);
    return got == sizeof header && std::memcmp(header, "SQLite format 3", 16) == 0;
}

std::set<std::string> &warnedLocations()
{
    static std::set<std::string> warned;
    return warned;
}

} // namespace

std::string registryLocation()
{
    if (const char *path = std::getenv("TARNSTARTER_REGISTRY"); path && *path)
        return path;
    std::string base;
    if (const char *config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        base = config;
    else
        base = homeFolder() + "/.config";
    return base + "/tarnstarter/registry.db";
}

RegistryStore::~RegistryStore()
{
    close();
}

bool RegistryStore::use(const std::string &path)
{
    if (opened && path == location && storeState != StoreState::busy)
        return false;
    close();
    location = path;
    opened = true;
    open();
    return true;
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
}

void RegistryStore::refuse(StoreState reason, const std::string &why)
{
    close();
    storeState = reason;
    if (warnedLocations().insert(location).second)
        std::fprintf(stderr,
            "TarnStarter settings store %s: %s; left untouched, settings not saved\n",
            location.c_str(), why.c_str());
}

bool RegistryStore::prepareFile()
{
    const std::string folder = folderOf(location);
    if (!makeFolders(folder)) {
        refuse(StoreState::notWritable, "cannot create folder " + folder);
        return false;
    }
    struct stat info;
    if (stat(location.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) {
            refuse(StoreState::notWritable, "not a regular file");
            return false;
        }
        if (info.st_size > 0 && !hasDatabaseHeader(location)) {
            refuse(StoreState::notDatabase, "not a SQLite database");
            return false;
        }
        if (access(location.c_str(), R_OK | W_OK) != 0) {
            refuse(StoreState::notWritable,
                std::string("cannot be opened for writing (") + std::strerror(errno) + ")");
            return false;
        }
    } else {
        const int fd = ::open(location.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) {
            refuse(StoreState::notWritable,
                std::string("cannot be created (") + std::strerror(errno) + ")");
            return false;
        }
        if (fd >= 0) {
            fchmod(fd, 0600);
            ::close(fd);
        }
    }
    // The write-ahead log and its index live beside the file.
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        refuse(StoreState::notWritable,
            std::string("folder is not writable (") + std::strerror(errno) + ")");
        return false;
    }
    return true;
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

void RegistryStore::open()
{
    if (!prepareFile())
        return;
    if (sqlite3_open_v2(location.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        refuse(StoreState::notWritable, db ? sqlite3_errmsg(db) : "cannot be opened");
        return;
    }
    if (sqlite3_db_readonly(db, "main") != 0) {
        refuse(StoreState::notWritable, "cannot be opened for writing");
        return;
    }
    sqlite3_busy_handler(db, waitForLock, this);
    bool foreign = false;
    std::string failure;
    int rc = initialise(&foreign, &failure);
    for (int i = 0; rc == SQLITE_OK && i < static_cast<int>(StoreQuery::count); ++i) {
        rc = sqlite3_prepare_v3(
            db, queryText[i], -1, SQLITE_PREPARE_PERSISTENT, &statements[i], nullptr);
        if (rc != SQLITE_OK)
            failure = sqlite3_errmsg(db);
    }
    const int primary = rc & 0xFF;
    if (rc == SQLITE_OK) {
        storeState = StoreState::ready;
    } else if (foreign) {
        refuse(StoreState::notDatabase, "a database of another program");
    } else if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
        // Another process held the file for too long: nothing is wrong
        // with the store, so the next call tries again.
        close();
        storeState = StoreState::busy;
    } else {
        refuse(primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT ? StoreState::notDatabase
                                                                     : StoreState::notWritable,
            failure);
    }
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
