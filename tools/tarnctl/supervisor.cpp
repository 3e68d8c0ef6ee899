#include "supervisor.h"

#include "launch/serverstart.h"
#include "platform/process.h"
#include "serverprocess.h"
#include "systemdnotify.h"

#include <QDir>
#include <QSaveFile>
#include <csignal>
#include <cstdio>

namespace tarnctl {

namespace {

using namespace std::chrono_literals;

// How long a server that was asked to stop gets before it is killed; what it
// left behind gets as long.
constexpr RestartPolicy::Duration stopGrace = 10s;

// How often a group that is being cleared away is looked at.
constexpr std::chrono::milliseconds groupCheck = 100ms;

// A line longer than this is passed on in pieces.
constexpr qsizetype longestLine = 64 * 1024;

double timeScale()
{
    bool ok = false;
    const double scale = qEnvironmentVariable("TARNCTL_TIME_SCALE").toDouble(&ok);
    return ok && scale > 0 ? scale : 1.0;
}

QString seconds(RestartPolicy::Duration duration)
{
    return QString::number(double(duration.count()) / 1000.0);
}

// "map dm/marlow, 3 players" from a status reply; its first line when it is
// no status (a refused password, say).
QByteArray statusSummary(const QString &reply)
{
    const QStringList lines = reply.split(u'\n', Qt::SkipEmptyParts);
    if (lines.isEmpty() || !lines.first().startsWith(u"map: "))
        return QStringLiteral("the server answers: %1").arg(lines.value(0)).toUtf8();
    qsizetype players = 0;
    bool table = false;
    for (const QString &line : lines) {
        if (table)
            players += line.trimmed().isEmpty() ? 0 : 1;
        table = table || line.startsWith(u"---");
    }
    return QStringLiteral("map %1, %2 %3")
        .arg(lines.first().mid(5).trimmed())
        .arg(players)
        .arg(players == 1 ? QStringLiteral("player") : QStringLiteral("players"))
        .toUtf8();
}

} // namespace

Supervisor::Supervisor(
    const SupervisedServer &server, const Options &options, const SupervisorFiles &files)
    : settings(server),
      files(files),
      restart(options.restart),
      policy(options.maxRestarts, RestartPolicy::Duration(qint64(options.withinSeconds * 1000)),
          timeScale()),
      statusPoll(server.port, server.password,
          std::chrono::milliseconds(qint64(options.hangAfterSeconds * 1000)), policy)
{
    if (files.logFile.isEmpty()) {
        standardOutput = std::make_unique<OutputQueue>(1);
        standardError = std::make_unique<OutputQueue>(2);
    } else {
        log = std::make_unique<LogFile>(files.logFile);
    }
    restartTimer.setSingleShot(true);
    // A coarse timer may fire a twentieth early; a restart waits its time.
    restartTimer.setTimerType(Qt::PreciseTimer);
    killTimer.setSingleShot(true);
    connect(&restartTimer, &QTimer::timeout, this, [this] {
        if (!startServer(true))
            restartLater(0ms);
    });
    connect(&killTimer, &QTimer::timeout, this, [this] {
        say(QStringLiteral("the server did not stop within %1 s; killing it")
                .arg(seconds(policy.scaled(stopGrace))));
        killServer(this->server);
    });
    connect(&groupTimer, &QTimer::timeout, this, &Supervisor::checkGroup);
    connect(&watchdogTimer, &QTimer::timeout, this, &Supervisor::keepAlive);
    connect(&statusPoll, &StatusPoll::answered, this, &Supervisor::noteAnswer);
    connect(&statusPoll, &StatusPoll::hung, this, &Supervisor::stopHungServer);
    connect(&this->server, &QProcess::finished, this, &Supervisor::onServerFinished);
    connect(&this->server, &QProcess::readyReadStandardOutput, this,
        [this] { pass(false, pendingOutput, this->server.readAllStandardOutput(), false); });
    connect(&this->server, &QProcess::readyReadStandardError, this,
        [this] { pass(true, pendingErrors, this->server.readAllStandardError(), false); });
    this->server.setStandardInputFile(QProcess::nullDevice());
    // What the service manager tells tarnctl is meant for tarnctl alone.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"NOTIFY_SOCKET", "WATCHDOG_USEC", "WATCHDOG_PID"})
        environment.remove(QLatin1String(name));
    this->server.setProcessEnvironment(environment);
    prepareServerProcess(this->server);
}

Supervisor::~Supervisor()
{
    stopWatchingStopRequests();
}

int Supervisor::run()
{
    if (log) {
        if (const QString failure = log->open(); !failure.isEmpty()) {
            std::fprintf(stderr, "tarnctl: %s\n", failure.toUtf8().constData());
            return 1;
        }
    }
    if (!watchStopRequests(this, [this](int number) { stop(number); })) {
        say(QStringLiteral("cannot watch for stop signals"));
        return 1;
    }
    if (const QString failure = guardServers(policy.scaled(stopGrace)); !failure.isEmpty())
        say(QStringLiteral("the server may outlive a tarnctl that is killed: %1").arg(failure));
    if (const QString failure = statusPoll.open(); !failure.isEmpty())
        say(QStringLiteral("cannot poll the server, so a hang goes unnoticed: %1").arg(failure));
    if (const std::optional<std::chrono::milliseconds> interval = watchdogInterval())
        watchdogTimer.start(*interval);
    return startServer(false) ? loop.exec() : 1;
}

bool Supervisor::startServer(bool again)
{
    if (again && settings.rewrite) {
        if (const QString failure = settings.rewrite(); !failure.isEmpty()) {
            say(QStringLiteral("the server is not started: %1").arg(failure));
            return false;
        }
    }
    platform::ResolvedLaunch resolved;
    std::string error;
    if (settings.shortFolder.isEmpty()
        || !platform::resolveLaunch(serverProgramPath(settings.shortFolder).toStdString(),
            settings.arguments.toStdString(), settings.shortFolder.toStdString(), &resolved,
            &error)) {
        say(serverStartFailure(settings.gameFolder, QString::fromStdString(error)));
        return false;
    }
    QStringList programArguments;
    for (std::size_t i = 1; i < resolved.arguments.size(); ++i)
        programArguments.append(QString::fromStdString(resolved.arguments[i]));
    server.setProgram(QString::fromStdString(resolved.arguments.front()));
    setServerArguments(server, programArguments, settings.arguments);
    server.setWorkingDirectory(QString::fromStdString(resolved.directory));
    server.start();
    if (!server.waitForStarted(-1)) {
        say(serverStartFailure(settings.gameFolder, server.errorString()));
        return false;
    }
    serverId = server.processId();
    if (const QString problem = serverStarted(server); !problem.isEmpty())
        say(problem);
    running.start();
    hung = false;
    say(QStringLiteral("server started as process %1: %2 %3")
            .arg(serverId)
            .arg(server.program(), programArguments.join(u' ')));
    lastStatus = "the server has started; waiting for its first answer";
    notifyServiceManager("STATUS=" + lastStatus);
    writePidFile();
    statusPoll.start();
    return true;
}

void Supervisor::writePidFile()
{
    if (files.pidFile.isEmpty())
        return;
    QSaveFile file(files.pidFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray::number(serverId) + '\n') < 0
        || !file.commit())
        say(QStringLiteral("cannot write the pid file %1: %2")
                .arg(QDir::toNativeSeparators(files.pidFile), file.errorString()));
}

void Supervisor::onServerFinished(int code, QProcess::ExitStatus exitStatus)
{
    pass(false, pendingOutput, server.readAllStandardOutput(), true);
    pass(true, pendingErrors, server.readAllStandardError(), true);
    killTimer.stop();
    statusPoll.stop();
    crashed = exitStatus == QProcess::CrashExit;
    exitCode = code;
    emit serverEnded();
    clearGroup();
}

// What the server started may outlive it, and hold its port: it goes before
// anything else happens.
void Supervisor::clearGroup()
{
    if (!serverGroupRuns(serverId))
        return afterEnd();
    say(QStringLiteral("the server left processes behind; stopping them"));
    endServerGroup(serverId, false);
    clearing.start();
    groupTimer.start(groupCheck);
}

void Supervisor::checkGroup()
{
    if (serverGroupRuns(serverId)) {
        if (clearing.elapsed() < policy.scaled(stopGrace).count())
            return;
        say(QStringLiteral("they did not stop within %1 s; killing them")
                .arg(seconds(policy.scaled(stopGrace))));
        endServerGroup(serverId, true);
    }
    groupTimer.stop();
    afterEnd();
}

void Supervisor::afterEnd()
{
    serverGroupGone(serverId);
    if (stopping) {
        say(QStringLiteral("the server has stopped"));
        return finish(0);
    }
    if (!crashed && exitCode == 0 && !hung) {
        say(QStringLiteral("the server quit"));
        return finish(0);
    }
    if (hung)
        say(QStringLiteral("the hung server has been stopped"));
    else
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
    // A second stop signal means: no more waiting.
    const bool again = stopping;
    stopping = true;
    if (groupTimer.isActive()) {
        if (again)
            endServerGroup(serverId, true);
        return;
    }
    if (server.state() == QProcess::NotRunning) {
        say(QStringLiteral("stopped by signal %1").arg(signalNumber));
        return finish(0);
    }
    if (again)
        return killServer(server);
    say(QStringLiteral("stopping the server (signal %1)").arg(signalNumber));
    notifyServiceManager("STOPPING=1");
    askServerToStop(server, signalNumber == SIGINT ? SIGINT : SIGTERM);
    killTimer.start(policy.scaled(stopGrace));
}

void Supervisor::stopHungServer()
{
    if (server.state() != QProcess::Running || stopping)
        return;
    hung = true;
    say(QStringLiteral("the server has not answered a status poll for %1 s; it is taken for "
                       "hung and stopped")
            .arg(seconds(statusPoll.hangAfter())));
    lastStatus = "the server does not answer; stopping it";
    notifyServiceManager("STATUS=" + lastStatus);
    askServerToStop(server, SIGTERM);
    killTimer.start(policy.scaled(stopGrace));
}

void Supervisor::noteAnswer(const QByteArray &reply)
{
    if (server.state() != QProcess::Running || hung)
        return;
    if (!answeredOnce) {
        answeredOnce = true;
        notifyServiceManager("READY=1");
        emit firstAnswer();
    }
    emit answered(reply);
    if (const QByteArray summary = statusSummary(QString::fromUtf8(reply)); summary != lastStatus) {
        lastStatus = summary;
        notifyServiceManager("STATUS=" + summary);
    }
}

// The service manager hears that all is well only while the server answers.
void Supervisor::keepAlive()
{
    if (server.state() == QProcess::Running && answeredOnce && !hung && statusPoll.answering())
        notifyServiceManager("WATCHDOG=1");
}

// Whole lines, each after a timestamp; `whole` passes on the rest too.
void Supervisor::pass(bool errors, QByteArray &pending, const QByteArray &bytes, bool whole)
{
    pending += bytes;
    qsizetype start = 0;
    for (;;) {
        qsizetype end = pending.indexOf('\n', start);
        if (end < 0 && (pending.size() - start > longestLine || (whole && start < pending.size())))
            end = std::min(pending.size(), start + longestLine);
        if (end < 0)
            break;
        QByteArray line = pending.mid(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        put(errors, stampedLine(line));
        start = end < pending.size() && pending.at(end) == '\n' ? end + 1 : end;
    }
    pending.remove(0, std::min(start, pending.size()));
}

void Supervisor::put(bool errors, const QByteArray &line)
{
    if (log)
        log->write(line);
    else
        (errors ? standardError : standardOutput)->put(line);
}

void Supervisor::say(const QString &text)
{
    put(true, stampedLine("tarnctl: " + text.toUtf8()));
}

void Supervisor::finish(int status)
{
    restartTimer.stop();
    statusPoll.stop();
    watchdogTimer.stop();
    if (!files.pidFile.isEmpty())
        QFile::remove(files.pidFile);
    loop.exit(status);
}

} // namespace tarnctl
