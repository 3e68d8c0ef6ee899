#include "gamefolderlock.h"

#include <QDir>
#include <cstring>
#include <windows.h>

// The lock is a named mutex, which the system destroys with the last handle
// of its holder; beside it a small named memory block tells the holder's
// process id and instance. Both are named after the folder's volume and file
// index, so every spelling of the folder meets the same lock. The global
// names reach across sessions where this account may create them; else the
// names are local to the session, and an instance of another session (a
// service, say) is not seen.

namespace tarnctl {

namespace {

constexpr DWORD holderSize = 4096;

struct HolderRecord
{
    DWORD processId;
    wchar_t instance[(holderSize - sizeof(DWORD)) / sizeof(wchar_t)];
};

// The folder's identity, or "" when it cannot be opened.
std::wstring folderIdentity(const QString &gameFolder, QString *why)
{
    const HANDLE folder = CreateFileW(reinterpret_cast<const wchar_t *>(gameFolder.utf16()),
        FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) {
        *why = QStringLiteral("cannot open the game folder %1 (error %2)")
                   .arg(QDir::toNativeSeparators(gameFolder))
                   .arg(GetLastError());
        return {};
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool known = GetFileInformationByHandle(folder, &info) != 0;
    CloseHandle(folder);
    if (!known) {
        *why = QStringLiteral("cannot identify the game folder %1")
                   .arg(QDir::toNativeSeparators(gameFolder));
        return {};
    }
    wchar_t name[64];
    swprintf(name, 64, L"TarnStarterGameFolder-%08lx-%08lx%08lx", info.dwVolumeSerialNumber,
        info.nFileIndexHigh, info.nFileIndexLow);
    return name;
}

const wchar_t *const scopes[] = {L"Global\\", L"Local\\"};

} // namespace

struct GameFolderLock::Held
{
    HANDLE mutex = nullptr;
    HANDLE record = nullptr;
};

GameFolderLock::GameFolderLock() = default;

GameFolderLock::~GameFolderLock()
{
    release();
}

QString GameFolderLock::acquire(const QString &gameFolder, const QString &instance)
{
    release();
    QString why;
    const std::wstring identity = folderIdentity(gameFolder, &why);
    if (identity.empty())
        return why;
    for (const wchar_t *scope : scopes) {
        const std::wstring name = scope + identity;
        const HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
        const DWORD error = GetLastError();
        if (!mutex && error == ERROR_ACCESS_DENIED && scope == scopes[0])
            return gameFolderBusy(
                QDir::toNativeSeparators(gameFolder), holder(gameFolder).value_or(LockHolder {}));
        if (!mutex)
            continue;
        if (error == ERROR_ALREADY_EXISTS) {
            CloseHandle(mutex);
            return gameFolderBusy(
                QDir::toNativeSeparators(gameFolder), holder(gameFolder).value_or(LockHolder {}));
        }
        held = std::make_unique<Held>();
        held->mutex = mutex;
        // Only some accounts may create a global memory block.
        for (const wchar_t *recordScope : scopes) {
            const std::wstring recordName = recordScope + identity + L"-holder";
            held->record = CreateFileMappingW(
                INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, holderSize, recordName.c_str());
            if (held->record)
                break;
        }
        if (held->record) {
            if (auto *record = static_cast<HolderRecord *>(
                    MapViewOfFile(held->record, FILE_MAP_WRITE, 0, 0, holderSize))) {
                record->processId = GetCurrentProcessId();
                const std::wstring text = instance.toStdWString();
                wcsncpy(record->instance, text.c_str(), std::size(record->instance) - 1);
                UnmapViewOfFile(record);
            }
        }
        return {};
    }
    return QStringLiteral("cannot lock the game folder %1 (error %2)")
        .arg(QDir::toNativeSeparators(gameFolder))
        .arg(GetLastError());
}

void GameFolderLock::release()
{
    if (!held)
        return;
    if (held->record)
        CloseHandle(held->record);
    CloseHandle(held->mutex);
    held.reset();
}

std::optional<LockHolder> GameFolderLock::holder(const QString &gameFolder)
{
    QString why;
    const std::wstring identity = folderIdentity(gameFolder, &why);
    if (identity.empty())
        return std::nullopt;
    bool taken = false;
    for (const wchar_t *scope : scopes) {
        const std::wstring name = scope + identity;
        const HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
        taken = taken || mutex || GetLastError() == ERROR_ACCESS_DENIED;
        if (mutex)
            CloseHandle(mutex);
    }
    if (!taken)
        return std::nullopt;
    LockHolder found;
    for (const wchar_t *scope : scopes) {
        const std::wstring recordName = scope + identity + L"-holder";
        const HANDLE record = OpenFileMappingW(FILE_MAP_READ, FALSE, recordName.c_str());
        if (!record)
            continue;
        if (const auto *view = static_cast<const HolderRecord *>(
                MapViewOfFile(record, FILE_MAP_READ, 0, 0, holderSize))) {
            found.processId = view->processId;
            found.instance = QString::fromWCharArray(
                view->instance, qsizetype(wcsnlen(view->instance, std::size(view->instance))));
            UnmapViewOfFile(view);
        }
        CloseHandle(record);
        break;
    }
    return found;
}

} // namespace tarnctl
