// tarnctl: runs a Tarn dedicated server from the TarnStarter settings store
// where there is no desktop: writes its configuration, starts and watches
// it, and talks to it over the remote console.

#include "launchcommands.h"
#include "options.h"
#include "output.h"
#include "platform/registry.h"
#include "rconcommands.h"
#include "servercommands.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    using namespace tarnctl;
    const ParsedCommandLine parsed = parseCommandLine(app.arguments().mid(1));
    if (!parsed.error.isEmpty()) {
        std::fprintf(
            stderr, "tarnctl: %s\nTry \"tarnctl --help\".\n", parsed.error.toUtf8().constData());
        return exitUsage;
    }
    const Options &options = parsed.options;
    // tarnctl only reads the store and never creates it; settings it cannot
    // read are an error, not defaults. Only the remote console, told where
    // to knock and with what password, does without.
    platform::openStoreReadOnly();
    const bool remoteOnly = (options.command == Command::Rcon || options.command == Command::Status)
        && options.port && options.password;
    const std::string problem
        = options.command == Command::Help || remoteOnly ? std::string() : platform::storeProblem();
    if (!problem.empty()) {
        std::fprintf(stderr, "tarnctl: %s\n", problem.c_str());
        return 1;
    }
    int status = exitUsage;
    switch (options.command) {
    case Command::Help:
        status = print(usageText()) ? 0 : 1;
        break;
    case Command::Config:
        status = runConfig(options);
        break;
    case Command::Start:
        status = runStart(options);
        break;
    case Command::Rcon:
        status = runRcon(options);
        break;
    case Command::Status:
        status = runStatus(options);
        break;
    case Command::Stop:
        status = runStop(options);
        break;
    case Command::Restart:
        status = runRestart(options);
        break;
    case Command::Reload:
        status = runReload(options);
        break;
    }
    // Output that never arrived is a failure, whatever else went well.
    if (!outputDelivered()) {
        complain(QStringLiteral("cannot write to standard output"));
        return 1;
    }
    return status;
}
