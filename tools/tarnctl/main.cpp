// tarnctl: runs a Tarn dedicated server from the TarnStarter settings store
// where there is no desktop: writes its configuration, starts and watches
// it, and talks to it over the remote console.

#include "launchcommands.h"
#include "options.h"
#include "output.h"
#include "platform/console.h"
#include "platform/registry.h"
#include "playercommands.h"
#include "rconcommands.h"
#include "servercommands.h"

#include <QCoreApplication>

namespace {

using namespace tarnctl;

int run(const Options &options)
{
    switch (options.command) {
    case Command::Help:
        return print(usageText() + u'\n' + playerUsageText()) ? 0 : 1;
    case Command::Config:
        return runConfig(options);
    case Command::Start:
        return runStart(options);
    case Command::Rcon:
        return runRcon(options);
    case Command::Status:
        return runStatus(options);
    case Command::Stop:
        return runStop(options);
    case Command::Restart:
        return runRestart(options);
    case Command::Reload:
        return runReload(options);
    }
    return exitUsage;
}

} // namespace

int main(int argc, char **argv)
{
    // Names and values are printed in UTF-8 on every system.
    const platform::Utf8Console console;
    QCoreApplication app(argc, argv);
    // tarnctl only reads the store and never creates it, but for the
    // generated remote-console password; settings it cannot read are an
    // error, not defaults.
    platform::openStoreReadOnly();
    const QStringList arguments = app.arguments().mid(1);
    std::optional<int> status = runPlayerCommand(arguments);
    if (!status) {
        const ParsedCommandLine parsed = parseCommandLine(arguments);
        if (!parsed.error.isEmpty()) {
            complain(parsed.error + QStringLiteral("\nTry \"tarnctl --help\"."));
            return exitUsage;
        }
        status = storeUsable(parsed.options) && rconPasswordReady(parsed.options)
            ? run(parsed.options)
            : 1;
    }
    // Output that never arrived is a failure, whatever else went well.
    if (!outputDelivered()) {
        complain(QStringLiteral("cannot write to standard output"));
        return 1;
    }
    return *status;
}
