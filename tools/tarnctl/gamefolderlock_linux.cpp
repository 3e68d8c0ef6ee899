#include "gamefolderlock.h"

#include "platform/winpath.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

// The lock is flock() on the folder itself, which the system drops with the
// last descriptor of its holder, and which holds across containers that
// share the file system. Who holds it is told by a socket in the abstract
// namespace, named after the folder's device and inode: it goes away with its
// process too, and leaves nothing on disk.

namespace tarnctl {

namespace {

struct Folder
{
    QString hostPath;
    int fd = -1;
};

Folder openFolder(const QString &gameFolder)
{
    Folder folder {QString::fromStdString(platform::hostPath(gameFolder.toStdString()))};
    if (!folder.hostPath.isEmpty())
        folder.fd
            = ::open(folder.hostPath.toLocal8Bit().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder.hostPath.isEmpty())
        folder.hostPath = gameFolder;
    return folder;
}

sockaddr_un holderAddress(int folderFd, socklen_t *size)
{
    struct stat info = {};
    ::fstat(folderFd, &info);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const int length = std::snprintf(address.sun_path + 1, sizeof address.sun_path - 1,
        "tarnstarter/game-folder/%llx/%llx", static_cast<unsigned long long>(info.st_dev),
        static_cast<unsigned long long>(info.st_ino));
    *size = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + std::size_t(length));
    return address;
}

// Every caller gets the instance and the end of the stream; the process id
// comes with the connection itself, as the caller's system numbers it.
void answerCallers(int listening, QByteArray answer)
{
    for (;;) {
        const int caller = ::accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
        if (caller < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;
        }
        [[maybe_unused]] const ssize_t sent
            = ::send(caller, answer.constData(), std::size_t(answer.size()), MSG_NOSIGNAL);
        ::close(caller);
    }
}

} // namespace

struct GameFolderLock::Held
{
    int folderFd = -1;
    int listening = -1;
    std::thread answering;
};

GameFolderLock::GameFolderLock() = default;

GameFolderLock::~GameFolderLock()
{
    release();
}

QString GameFolderLock::acquire(const QString &gameFolder, const QString &instance)
{
    release();
    const Folder folder = openFolder(gameFolder);
    if (folder.fd < 0)
        return QStringLiteral("cannot open the game folder %1: %2")
            .arg(folder.hostPath, QString::fromLocal8Bit(std::strerror(errno)));
    if (::flock(folder.fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(folder.fd);
        if (error != EWOULDBLOCK)
            return QStringLiteral("cannot lock the game folder %1: %2")
                .arg(folder.hostPath, QString::fromLocal8Bit(std::strerror(error)));
        return gameFolderBusy(folder.hostPath, holder(gameFolder).value_or(LockHolder {}));
    }
    held = std::make_unique<Held>();
    held->folderFd = folder.fd;
    // Without the socket the lock holds all the same; only its holder
    // cannot be named.
    socklen_t size = 0;
    const sockaddr_un address = holderAddress(folder.fd, &size);
    const int listening = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listening >= 0
        && (::bind(listening, reinterpret_cast<const sockaddr *>(&address), size) != 0
            || ::listen(listening, 16) != 0)) {
        ::close(listening);
        return {};
    }
    if (listening >= 0) {
        held->listening = listening;
        held->answering = std::thread(answerCallers, listening, instance.toUtf8());
    }
    return {};
}

void GameFolderLock::release()
{
    if (!held)
        return;
    if (held->listening >= 0) {
        // Wakes the thread from accept().
        ::shutdown(held->listening, SHUT_RDWR);
        held->answering.join();
        ::close(held->listening);
    }
    ::close(held->folderFd);
    held.reset();
}

std::optional<LockHolder> GameFolderLock::holder(const QString &gameFolder)
{
    const Folder folder = openFolder(gameFolder);
    if (folder.fd < 0)
        return std::nullopt;
    if (::flock(folder.fd, LOCK_EX | LOCK_NB) == 0) {
        ::close(folder.fd);
        return std::nullopt;
    }
    LockHolder found;
    socklen_t size = 0;
    const sockaddr_un address = holderAddress(folder.fd, &size);
    ::close(folder.fd);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr *>(&address), size) != 0) {
        if (fd >= 0)
            ::close(fd);
        return found;
    }
    ucred credentials = {};
    socklen_t credentialsSize = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &credentialsSize) == 0)
        found.processId = credentials.pid;
    QByteArray answer;
    pollfd waiting {fd, POLLIN, 0};
    char buffer[4096];
    // A holder that does not answer within a second stays unnamed.
    while (::poll(&waiting, 1, 1000) > 0) {
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        answer.append(buffer, got);
    }
    ::close(fd);
    found.instance = QString::fromUtf8(answer);
    return found;
}

} // namespace tarnctl
