#include "platform/homefolder.h"
#include "platform/registry.h"
#include "platform/registry_store.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

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

// Only what a reader needs: the file is there, a regular file, readable and
// a database. Nothing is created.
StoreState checkStoreToRead(const std::string &location, std::string *why)
{
    struct stat info;
    if (stat(location.c_str(), &info) != 0) {
        const int error = errno;
        *why = error == ENOENT ? "does not exist"
                               : std::string("cannot be read (") + std::strerror(error) + ")";
        return error == ENOENT ? StoreState::missing : StoreState::notWritable;
    }
    if (!S_ISREG(info.st_mode)) {
        *why = "not a regular file";
        return StoreState::notWritable;
    }
    if (access(location.c_str(), R_OK) != 0) {
        *why = std::string("cannot be read (") + std::strerror(errno) + ")";
        return StoreState::notWritable;
    }
    if (info.st_size > 0 && !hasDatabaseHeader(location)) {
        *why = "not a SQLite database";
        return StoreState::notDatabase;
    }
    return StoreState::ready;
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

const char *defaultStoreName()
{
    return "$XDG_CONFIG_HOME/tarnstarter/registry.db (~/.config when unset)";
}

StoreState checkStoreFile(const std::string &location, bool readOnly, std::string *why)
{
    if (readOnly)
        return checkStoreToRead(location, why);
    const std::string folder = folderOf(location);
    if (!makeFolders(folder)) {
        *why = "cannot create folder " + folder;
        return StoreState::notWritable;
    }
    struct stat info;
    if (stat(location.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) {
            *why = "not a regular file";
            return StoreState::notWritable;
        }
        if (info.st_size > 0 && !hasDatabaseHeader(location)) {
            *why = "not a SQLite database";
            return StoreState::notDatabase;
        }
        if (access(location.c_str(), R_OK | W_OK) != 0) {
            *why = std::string("cannot be opened for writing (") + std::strerror(errno) + ")";
            return StoreState::notWritable;
        }
    } else {
        const int fd = ::open(location.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) {
            *why = std::string("cannot be created (") + std::strerror(errno) + ")";
            return StoreState::notWritable;
        }
        if (fd >= 0) {
            fchmod(fd, 0600);
            ::close(fd);
        }
    }
    // The write-ahead log and its index live beside the file.
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        *why = std::string("folder is not writable (") + std::strerror(errno) + ")";
        return StoreState::notWritable;
    }
    return StoreState::ready;
}

bool hasWriteAheadLog(const std::string &location)
{
    struct stat info;
    return stat((location + "-wal").c_str(), &info) == 0 && info.st_size > 0;
}

std::string storeFileStamp(const std::string &location)
{
    struct stat info;
    if (stat(location.c_str(), &info) != 0)
        return {};
    return std::to_string(info.st_ino) + ' ' + std::to_string(info.st_size) + ' '
        + std::to_string(info.st_mtim.tv_sec) + '.' + std::to_string(info.st_mtim.tv_nsec) + ' '
        + (hasWriteAheadLog(location) ? "log" : "");
}

} // namespace platform
