#include "supervisor.h"

#include "launch/serverstart.h"
#include "platform/process.h"
#include "serverprocess.h"
#include "statefiles.h"

#include <QDateTime>
#include <csignal>

namespace tarnctl {

namespace {

using namespace std::chrono_literals;

// How long a server that was asked to stop gets before it is killed.
constexpr RestartPolicy::Duration stopGrace = 10s;

// A line longer than this is passed on in pieces.
constexpr qsizetype longestLine = 64 * 1024;

double timeScale()
{
    bool ok = false;
    const double scale = qEnvironmentVariable("TARNCTL_TIME_SCALE").toDouble(&ok);
    return ok && scale > 0 ? scale : 1.0;
}

QByteArray timestamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
}

QString seconds(RestartPolicy::Duration duration)
{
    return QString::number(double(duration.count()) / 1000.0);
}

} // namespace

Supervisor::Supervisor(
    const SupervisedServer &supervised, const Options &options, const SupervisorFiles &files)
    : gameFolder(supervised.gameFolder),
      shortFolder(supervised.shortFolder),
      arguments(supervised.arguments),
      files(files),
      restart(options.restart),
      policy(options.maxRestarts, RestartPolicy::Duration(qint64(options.withinSeconds * 1000)),
          timeScale())
{
    restartTimer.setSingleShot(true);
    // A coarse timer may fire a twentieth early; a restart waits its time.
    restartTimer.setTimerType(Qt::PreciseTimer);
    killTimer.setSingleShot(true);
    connect(&restartTimer, &QTimer::timeout, this, [this] {
        if (!startServer())
            restartLater(0ms);
    });
    connect(&killTimer, &QTimer::timeout, this, [this] {
        say(QStringLiteral("the server did not stop within %1 s; killing it")
                .arg(seconds(stopGrace)));
        killServer(server);
    });
    connect(&server, &QProcess::finished, this, &Supervisor::serverEnded);
    connect(&server, &QProcess::readyReadStandardOutput, this,
        [this] { pass(stdout, pendingOutput, server.readAllStandardOutput(), false); });
    connect(&server, &QProcess::readyReadStandardError, this,
        [this] { pass(stderr, pendingErrors, server.readAllStandardError(), false); });
    server.setStandardInputFile(QProcess::nullDevice());
    prepareServerProcess(server);
}

Supervisor::~Supervisor()
{
    stopWatchingStopRequests();
}

int Supervisor::run()
{
    if (!watchStopRequests(this, [this](int number) { stop(number); })) {
        say(QStringLiteral("cannot watch for stop signals"));
        return 1;
    }
    if (!startServer())
        return 1;
    return loop.exec();
}

bool Supervisor::startServer()
{
    platform::ResolvedLaunch resolved;
    std::string error;
    if (shortFolder.isEmpty()
        || !platform::resolveLaunch(serverProgramPath(shortFolder).toStdString(),
            arguments.toStdString(), shortFolder.toStdString(), &resolved, &error)) {
        say(serverStartFailure(gameFolder, QString::fromStdString(error)));
        return false;
    }
    QStringList programArguments;
    for (std::size_t i = 1; i < resolved.arguments.size(); ++i)
        programArguments.append(QString::fromStdString(resolved.arguments[i]));
    server.setProgram(QString::fromStdString(resolved.arguments.front()));
    setServerArguments(server, programArguments, arguments);
    server.setWorkingDirectory(QString::fromStdString(resolved.directory));
    server.start();
    if (!server.waitForStarted(-1)) {
        say(serverStartFailure(gameFolder, server.errorString()));
        return false;
    }
    serverStarted(server);
    running.start();
    if (!files.pidFile.isEmpty())
        writePidFile(files.pidFile, server.processId());
    say(QStringLiteral("server started as process %1: %2 %3")
            .arg(server.processId())
            .arg(server.program(), programArguments.join(u' ')));
    return true;
}

void Supervisor::serverEnded(int exitCode, QProcess::ExitStatus exitStatus)
{
    pass(stdout, pendingOutput, server.readAllStandardOutput(), true);
    pass(stderr, pendingErrors, server.readAllStandardError(), true);
    killTimer.stop();
    const bool crashed = exitStatus == QProcess::CrashExit;
    if (stopping) {
        say(QStringLiteral("the server has stopped"));
        return finish(0);
    }
    if (!crashed && exitCode == 0) {
        say(QStringLiteral("the server quit"));
        return finish(0);
    }
    say(crashed ? QStringLiteral("the server was ended by signal %1").arg(exitCode)
                : QStringLiteral("the server ended with status %1").arg(exitCode));
    if (!restart)
        return finish(1);
    restartLater(RestartPolicy::Duration(running.elapsed()));
}

void Supervisor::restartLater(RestartPolicy::Duration ran)
{
    const std::optional<RestartPolicy::Duration> wait
        = policy.serverEnded(RestartPolicy::Clock::now(), ran);
    if (!wait) {
        say(QStringLiteral("the server ended too often, giving up"));
        return finish(exitGaveUp);
    }
    say(QStringLiteral("restarting the server in %1 s").arg(seconds(*wait)));
    restartTimer.start(*wait);
}

void Supervisor::stop(int signalNumber)
{
    if (server.state() == QProcess::NotRunning) {
        say(QStringLiteral("stopped by signal %1").arg(signalNumber));
        return finish(0);
    }
    // A second stop signal means: no more waiting.
    if (stopping)
        return killServer(server);
    stopping = true;
    say(QStringLiteral("stopping the server (signal %1)").arg(signalNumber));
    askServerToStop(server, signalNumber == SIGINT ? SIGINT : SIGTERM);
    killTimer.start(policy.scaled(stopGrace));
}

// Whole lines, each after a timestamp; `whole` passes on the rest too.
void Supervisor::pass(std::FILE *stream, QByteArray &pending, const QByteArray &bytes, bool whole)
{
    pending += bytes;
    QByteArray out;
    qsizetype start = 0;
    for (;;) {
        qsizetype end = pending.indexOf('\n', start);
        if (end < 0 && (pending.size() - start > longestLine || (whole && start < pending.size())))
            end = pending.size();
        if (end < 0)
            break;
        QByteArray line = pending.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        out += timestamp() + ' ' + line + '\n';
        start = end + 1;
    }
    pending.remove(0, std::min(start, pending.size()));
    std::fwrite(out.constData(), 1, std::size_t(out.size()), stream);
    std::fflush(stream);
}

void Supervisor::say(const QString &text)
{
    const QByteArray line = timestamp() + " tarnctl: " + text.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
    std::fflush(stderr);
}

void Supervisor::finish(int status)
{
    restartTimer.stop();
    loop.exit(status);
}

} // namespace tarnctl
