// tarnctl: runs a Tarn dedicated server from the TarnStarter settings store
// where there is no desktop: writes its configuration, starts and watches
// it, and talks to it over the remote console.

#include "launchcommands.h"
#include "options.h"
#include "platform/registry.h"
#include "rconcommands.h"

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
    switch (options.command) {
    case Command::Help:
        std::fputs(usageText().toUtf8().constData(), stdout);
        return 0;
    case Command::Config:
        return runConfig(options);
    case Command::Start:
        return runStart(options);
    case Command::Rcon:
        return runRcon(options);
    case Command::Status:
        return runStatus(options);
    }
    return exitUsage;
}
