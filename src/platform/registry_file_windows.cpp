#include "platform/registry.h"
#include "platform/registry_store.h"

#include "platform/text_windows.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <windows.h>

namespace platform {

namespace fs = std::filesystem;

std::string registryLocation()
{
    // The wide environment: the narrow one holds the ANSI code page's idea
    // of the name.
    if (const wchar_t *path = _wgetenv(L"TARNSTARTER_REGISTRY"); path && *path)
        return utf8FromWide(path);
    return {};
}

const char *defaultStoreName()
{
    return "the Windows registry";
}

StoreState checkStoreFile(const std::string &location, bool readOnly, std::string *why)
{
    const fs::path file(wideFromUtf8(location));
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(L".");
    std::error_code error;
    if (readOnly && !fs::exists(file, error)) {
        *why = "does not exist";
        return StoreState::missing;
    }
    if (!readOnly && !fs::is_directory(folder, error) && !fs::create_directories(folder, error)) {
        *why = "cannot create folder " + utf8FromWide(folder.wstring());
        return StoreState::notWritable;
    }
    const fs::file_status status = fs::status(file, error);
    if (fs::exists(status)) {
        if (!fs::is_regular_file(status)) {
            *why = "not a regular file";
            return StoreState::notWritable;
        }
        // Random bytes only fail at the first statement, by which time SQLite
        // may already have been asked to write; the header is checked first.
        if (const auto size = fs::file_size(file, error); error || size > 0) {
            char header[16] = {};
            std::ifstream in(file, std::ios::binary);
            if (!in.read(header, sizeof header)
                || std::memcmp(header, "SQLite format 3", sizeof header) != 0) {
                *why = "not a SQLite database";
                return StoreState::notDatabase;
            }
        }
    }
    // Opening for writing, creating the file when it is missing, shows that
    // it can be written; a folder that refuses the write-ahead log beside it
    // fails the store's first statement instead.
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ | (readOnly ? 0 : GENERIC_WRITE),
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        readOnly ? OPEN_EXISTING : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *why = (readOnly ? "cannot be read (" : "cannot be opened for writing (")
            + systemMessage(GetLastError()) + ")";
        return StoreState::notWritable;
    }
    CloseHandle(handle);
    return StoreState::ready;
}

bool hasWriteAheadLog(const std::string &location)
{
    std::error_code error;
    const auto size = fs::file_size(fs::path(wideFromUtf8(location + "-wal")), error);
    return !error && size > 0;
}

std::string storeFileStamp(const std::string &location)
{
    const fs::path file(wideFromUtf8(location));
    std::error_code sizeError, timeError;
    const auto size = fs::file_size(file, sizeError);
    const auto time = fs::last_write_time(file, timeError);
    if (sizeError || timeError)
        return {};
    return std::to_string(size) + ' ' + std::to_string(time.time_since_epoch().count()) + ' '
        + (hasWriteAheadLog(location) ? "log" : "");
}

} // namespace platform
