#pragma once

// One game folder serves one running server at a time: instances that
// shared one would write each other's configuration. The lock belongs to the
// process that holds it and goes with it, however it ends; no file is left
// behind. One file per system, picked by the build.

#include <QString>
#include <memory>
#include <optional>

namespace tarnctl {

struct LockHolder
{
    qint64 processId = 0; // 0 when it could not be learned
    QString instance; // the holder's settings store; "" when unknown
};

class GameFolderLock
{
public:
    GameFolderLock();
    ~GameFolderLock();
    GameFolderLock(const GameFolderLock &) = delete;
    GameFolderLock &operator=(const GameFolderLock &) = delete;

    // Takes the folder for `instance` (the settings store's path) and keeps
    // it until release or destruction. Returns "" or why not, in words that
    // name the folder and, where known, the instance that holds it.
    QString acquire(const QString &gameFolder, const QString &instance);
    void release();

    // Who holds the folder, when somebody does.
    static std::optional<LockHolder> holder(const QString &gameFolder);

    struct Held;

private:
    std::unique_ptr<Held> held;
};

// The words for a folder held by `holder`.
QString gameFolderBusy(const QString &folder, const LockHolder &holder);

} // namespace tarnctl
