#include "launchcommands.h"

#include "agonesclient.h"
#include "launch/configfiles.h"
#include "launch/configtext.h"
#include "launch/gamefolder.h"
#include "launch/serverstart.h"
#include "launch/shortpath.h"
#include "launch/storedform.h"
#include "monitor/rconrequest.h"
#include "platform/console.h"
#include "store/settingsstore.h"
#include "store/textcodec.h"
#include "supervisor.h"

#include <cstdio>

namespace tarnctl {

namespace {

void complain(const QString &text)
{
    std::fprintf(stderr, "tarnctl: %s\n", text.toUtf8().constData());
}

// The server's own settings, read once, and where it runs.
struct Launch
{
    LaunchForm form;
    QString gameFolder;
    QString shortFolder;
};

enum class Written { Nothing, Partly, All };

// Writes the map files and Dedicated.cfg as "Go" does. Like "Go", a file
// that cannot be written is reported and the rest goes on; an unusable game
// folder stops everything.
Written writeLaunchFiles(Launch &launch)
{
    launch.form = launchFormFromStore();
    launch.gameFolder = launch.form.text("Text1");
    if (const QString problem = gameFolderProblem(launch.gameFolder); !problem.isEmpty()) {
        complain(problem);
        return Written::Nothing;
    }
    Written written = Written::All;
    const QStringList cycle = mapCycleWritten(launch.form);
    if (!cycle.isEmpty() && !writeMapFiles(launch.gameFolder, cycle)) {
        complain(QStringLiteral("Error writing to %1\\USER\\MAPLISTS\\TarnStarter.lst or "
                                "%1\\TarnStarter.map. Try creating the folder manually.")
                     .arg(launch.gameFolder));
        written = Written::Partly;
    }
    const QByteArray text = toWindows1252(configText(launch.form, QDateTime::currentDateTime()));
    launch.shortFolder = GetShortPath(launch.gameFolder);
    if (const QString failure = writeConfiguration(launch.gameFolder, launch.shortFolder, text);
        !failure.isEmpty()) {
        complain(failure);
        written = Written::Partly;
    }
    return written;
}

} // namespace

int runConfig(const Options &options)
{
    if (options.print) {
        const QByteArray text
            = toWindows1252(configText(launchFormFromStore(), QDateTime::currentDateTime()));
        // The exact bytes "Go" writes, line ends included.
        platform::setBinaryOutput();
        std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    Launch launch;
    return writeLaunchFiles(launch) == Written::All ? 0 : 1;
}

int runStart(const Options &options)
{
    std::optional<quint16> agonesPort;
    if (options.agones) {
        QString wrong;
        if (!(agonesPort = AgonesClient::portFromEnvironment(&wrong))) {
            complain(wrong);
            return 1;
        }
    }
    Launch launch;
    if (writeLaunchFiles(launch) == Written::Nothing)
        return 1;
    const QString arguments = serverArguments(launch.form.text("Text5"));
    if (options.foreground) {
        const SupervisedServer server {launch.gameFolder, launch.shortFolder, arguments,
            monitorServerPort(RegGet(hkeyLocalMachine, launcherKey, QStringLiteral("Server_Port"))),
            rconPasswordSent(RegGet(hkeyLocalMachine, launcherKey, QStringLiteral("rcon_pw"))), [] {
                Launch again;
                return writeLaunchFiles(again) == Written::All
                    ? QString()
                    : QStringLiteral("its configuration could not be written again");
            }};
        Supervisor supervisor(server, options);
        if (!agonesPort)
            return supervisor.run();
        AgonesClient agones(*agonesPort, [&](const QString &text) { supervisor.say(text); });
        QObject::connect(&supervisor, &Supervisor::firstAnswer, &agones, &AgonesClient::ready);
        QObject::connect(&supervisor, &Supervisor::answered, &agones, &AgonesClient::health);
        QObject::connect(&supervisor, &Supervisor::serverEnded, &agones, &AgonesClient::shutdown);
        const int status = supervisor.run();
        // Shutdown was sent as the server ended; it gets a moment to arrive.
        agones.finish(std::chrono::seconds(3));
        return status;
    }
    if (const QString failure = startServer(launch.gameFolder, launch.shortFolder, arguments);
        !failure.isEmpty()) {
        complain(failure);
        return 1;
    }
    return 0;
}

} // namespace tarnctl
