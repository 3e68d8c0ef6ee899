#include "processcontrol.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace tarnctl {

BackgroundProcess::~BackgroundProcess() = default;

QString BackgroundProcess::start(const QStringList &arguments, const QString &logFile)
{
    const QByteArray program = QCoreApplication::applicationFilePath().toLocal8Bit();
    QList<QByteArray> bytes {program};
    for (const QString &argument : arguments)
        bytes.append(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    const QByteArray log = QFile::encodeName(logFile);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(
        &actions, 1, log.constData(), O_WRONLY | O_APPEND | O_CREAT, 0640);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    // A session of its own: a terminal that closes takes nothing with it.
    // The signals tarnctl ignores or handles start as they should.
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int number : {SIGPIPE, SIGTERM, SIGINT, SIGHUP})
        sigaddset(&defaults, number);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF);
    pid_t child = 0;
    const int error
        = posix_spawn(&child, program.constData(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        return QStringLiteral("cannot start %1: %2")
            .arg(QString::fromLocal8Bit(program), QString::fromLocal8Bit(std::strerror(error)));
    id = child;
    return {};
}

std::optional<int> BackgroundProcess::ended()
{
    int status = 0;
    if (id <= 0 || ::waitpid(pid_t(id), &status, WNOHANG) != pid_t(id))
        return std::nullopt;
    id = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A process that has ended but was not reaped yet (where no init reaps
// orphans, it stays so) runs no more.
bool processRuns(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray fields = stat.readAll();
    const qsizetype state = fields.lastIndexOf(')') + 2;
    return state > 1 && state < fields.size() && fields.at(state) != 'Z';
}

bool tarnctlRuns(qint64 pid)
{
    const QString exe = QStringLiteral("/proc/%1/exe").arg(pid);
    return processRuns(pid)
        && QFileInfo(exe).canonicalFilePath()
        == QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

void endProcess(qint64 pid, bool kill)
{
    if (pid > 0)
        ::kill(pid_t(pid), kill ? SIGKILL : SIGTERM);
}

} // namespace tarnctl
