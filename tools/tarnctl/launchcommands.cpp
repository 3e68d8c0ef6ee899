#include "launchcommands.h"

#include "agonesclient.h"
#include "gamefolderlock.h"
#include "launch/configtext.h"
#include "launch/gamefolder.h"
#include "launch/launchsequence.h"
#include "launch/storedform.h"
#include "output.h"
#include "platform/console.h"
#include "platform/gameregistration.h"
#include "platform/registry.h"
#include "platform/registry_store.h"
#include "processcontrol.h"
#include "rconcommands.h"
#include "servercommands.h"
#include "statefiles.h"
#include "store/settingsstore.h"
#include "store/settingstable.h"
#include "store/shortpath.h"
#include "store/textcodec.h"
#include "supervisor.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace tarnctl {

namespace {

using namespace std::chrono_literals;

QString noGameFolder()
{
    const QString store = QString::fromStdString(platform::registryLocation());
    return QStringLiteral("no game folder is registered in %1. Register the folder that "
                          "holds tarn.exe with:\n  %2")
        .arg(store.isEmpty() ? QLatin1String(platform::defaultStoreName()) : store,
            QString::fromStdString(platform::gameRegistrationCommand()));
}

// What failed, one line each.
QStringList failures(const LaunchResult &result, bool starting)
{
    // Unregistered, the folder is the launcher's default, which says nothing
    // to an operator without a desktop.
    if (!result.gameFolderProblem.isEmpty())
        return {registeredGameFolder().isEmpty() ? noGameFolder() : result.gameFolderProblem};
    QStringList lines;
    if (result.mapFilesFailed)
        lines.append(
            QStringLiteral("Error writing to %1 or %2. Try creating the folder manually.")
                .arg(shownPath(result.server.gameFolder
                         + QStringLiteral("\\USER\\MAPLISTS\\TarnStarter.lst")),
                    shownPath(result.server.gameFolder + QStringLiteral("\\TarnStarter.map"))));
    if (!result.configurationFailure.isEmpty())
        lines.append(result.configurationFailure);
    if (starting && !result.filesWritten())
        lines.append(QStringLiteral("the server was not started, so that it does not run on a "
                                    "stale configuration"));
    return lines;
}

// Says what failed on stderr; true when every file was written.
bool report(const LaunchResult &result, bool starting)
{
    for (const QString &line : failures(result, starting))
        complain(line);
    return result.filesWritten();
}

// Watches the server in this process until it ends for good.
int runForeground(const Options &options)
{
    const LaunchForm form = launchFormFromStore();
    // Taken before anything is written: another instance's server must not
    // find its configuration replaced by ours.
    std::optional<quint16> agonesPort;
    if (options.agones) {
        QString wrong;
        if (!(agonesPort = AgonesClient::portFromEnvironment(&wrong))) {
            complain(wrong);
            return 1;
        }
    }
    const QString gameFolder = form.gameFolder;
    GameFolderLock lock;
    if (const QString failure
        = lock.acquire(gameFolder, QString::fromStdString(platform::registryLocation()));
        !failure.isEmpty()) {
        if (GameFolderLock::holder(gameFolder)) {
            complain(failure);
            return exitBusy;
        }
        // A folder that cannot be used at all is the launch's to report.
        if (gameFolderProblem(gameFolder).isEmpty())
            complain(failure);
    }
    const Target target = targetOf(Options {});
    const StateFiles state = stateFiles();
    SupervisorFiles files;
    if (options.stateFiles) {
        files = {state.log, state.serverPid};
        if (const QString failure
            = writePidFile(state.watcherPid, QCoreApplication::applicationPid());
            !failure.isEmpty()) {
            complain(failure);
            return 1;
        }
    }
    int status = 1;
    const LaunchResult result = runLaunch(
        form, QDateTime::currentDateTime(), [&](const ServerLaunch &launch) {
            const SupervisedServer server {launch.gameFolder, launch.shortFolder, launch.arguments,
                target.port, target.password, [] {
                    return failures(
                        runLaunch(launchFormFromStore(), QDateTime::currentDateTime(), {}), true)
                        .join(u'\n');
                }};
            Supervisor supervisor(server, options, files);
            if (!agonesPort) {
                status = supervisor.run();
                return QString();
            }
            AgonesClient agones(*agonesPort, [&](const QString &text) { supervisor.say(text); });
            QObject::connect(&supervisor, &Supervisor::firstAnswer, &agones, &AgonesClient::ready);
            QObject::connect(&supervisor, &Supervisor::answered, &agones, &AgonesClient::health);
            QObject::connect(
                &supervisor, &Supervisor::serverEnded, &agones, &AgonesClient::shutdown);
            status = supervisor.run();
            // Shutdown was sent as the server ended; it gets a moment to arrive.
            agones.finish(std::chrono::seconds(3));
            return QString();
        });
    if (options.stateFiles) {
        QFile::remove(state.watcherPid);
        QFile::remove(state.serverPid);
    }
    return report(result, true) ? status : 1;
}

// Starts a watching tarnctl in the background and waits for the server's
// first answer: a server that dies at once or never answers is a failed
// start, said with the last lines of its log.
int runDetached(const Options &options)
{
    const StateFiles state = stateFiles();
    const qint64 logStart = QFileInfo(state.log).size();
    const QString shownLog = QDir::toNativeSeparators(state.log);
    QStringList arguments {
        QStringLiteral("start"), QStringLiteral("--foreground"), QStringLiteral("--state-files")};
    // The watcher takes the options it knows; how long to wait is ours.
    const QStringList given = QCoreApplication::arguments();
    for (qsizetype i = 2; i < given.size(); ++i) {
        const QString &argument = given.at(i);
        if (argument == u"--wait" || argument == u"--grace")
            ++i;
        else if (!argument.startsWith(QLatin1String("--wait="))
            && !argument.startsWith(QLatin1String("--grace=")))
            arguments.append(argument);
    }
    BackgroundProcess watcher;
    if (const QString failure = watcher.start(arguments, state.log); !failure.isEmpty()) {
        complain(failure);
        return 1;
    }
    const Target target = targetOf(Options {});
    const QDeadlineTimer deadline(qint64(options.waitSeconds * 1000));
    for (;;) {
        if (const std::optional<int> ended = watcher.ended()) {
            complain(QStringLiteral("the server did not start or ended at once; the end of "
                                    "%1:\n%2")
                         .arg(shownLog, lastLines(state.log, logStart, 10)));
            return *ended == exitBusy || *ended == exitGaveUp ? *ended : 1;
        }
        if (answersStatusPoll(target, 250ms))
            return print(QStringLiteral("the server answers on %1, watched by tarnctl process %2; "
                                        "its output goes to %3\n")
                             .arg(target.address())
                             .arg(watcher.pid())
                             .arg(shownLog))
                ? 0
                : 1;
        if (deadline.hasExpired())
            break;
        // A closed port answers a poll at once, with an error.
        QThread::msleep(100);
    }
    // A server that does not answer is no server: take it down again.
    stopWatcher(watcher.pid(), options.graceSeconds);
    complain(QStringLiteral("the server did not answer on %1 within %2 s and was stopped; the "
                            "end of %3:\n%4")
                 .arg(target.address())
                 .arg(options.waitSeconds)
                 .arg(shownLog, lastLines(state.log, logStart, 10)));
    return exitNoAnswer;
}

} // namespace

bool rconPasswordReady(const Options &options)
{
    const Command command = options.command;
    if (command != Command::Config && command != Command::Start && command != Command::Restart
        && command != Command::Reload)
        return true;
    const QString typed = loadLaunchSettings().rconPassword;
    if (!rconPasswordSent(typed).isEmpty())
        return true;
    // The one value tarnctl writes: without it the server would run with a
    // password nobody knows.
    platform::openStoreWritable();
    const bool kept = !rconPasswordSent(typed).isEmpty();
    platform::openStoreReadOnly();
    if (!kept)
        complain(noRconPasswordText());
    return kept;
}

int writeLaunchFiles()
{
    return report(runLaunch(launchFormFromStore(), QDateTime::currentDateTime(), {}), false) ? 0
                                                                                             : 1;
}

int runConfig(const Options &options)
{
    if (!options.print)
        return writeLaunchFiles();
    const QByteArray text
        = toWindows1252(configText(launchFormFromStore(), QDateTime::currentDateTime()));
    // The exact bytes "Go" writes, line ends included.
    platform::setBinaryOutput();
    return print(text) ? 0 : 1;
}

bool instanceBusy()
{
    const StateFiles state = stateFiles();
    if (const std::optional<qint64> watcher = readPidFile(state.watcherPid);
        watcher && tarnctlRuns(*watcher)) {
        complain(QStringLiteral("this instance's server already runs, watched by tarnctl process "
                                "%1; \"tarnctl stop\" stops it")
                     .arg(*watcher));
        return true;
    }
    const Target target = targetOf(Options {});
    if (answersStatusPoll(target, 300ms)) {
        complain(QStringLiteral("a server already answers on %1, this instance's port")
                     .arg(target.address()));
        return true;
    }
    return false;
}

int runStart(const Options &options)
{
    if (instanceBusy())
        return exitBusy;
    return options.foreground ? runForeground(options) : runDetached(options);
}

} // namespace tarnctl
