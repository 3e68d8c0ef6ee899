// tarnctl: runs a Tarn dedicated server from the TarnStarter settings store
// where there is no desktop: writes its configuration, starts and watches
// it, and talks to it over the remote console.

#include "launchcommands.h"
#include "options.h"
#include "platform/console.h"
#include "rconcommands.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    // Names and values are printed in UTF-8 on every system.
    const platform::Utf8Console console;
    QCoreApplication app(argc, argv);
    using namespace tarnctl;
    const ParsedCommandLine parsed = parseCommandLine(app.arguments().mid(1));
    if (!parsed.error.isEmpty()) {
        std::fprintf(
            stderr, "tarnctl: %s\nTry \"tarnctl --help\".\n", parsed.error.toUtf8().constData());
        return exitUsage;
    }
    const Options &options = parsed.options;
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
