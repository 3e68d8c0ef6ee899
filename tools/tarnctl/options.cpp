#include "options.h"

#include "platform/portnumber.h"
#include "platform/registry.h"

#include <cmath>

namespace tarnctl {

namespace {

// Longer waits than a year are typing mistakes, and would overflow the
// millisecond clocks they end up in.
constexpr double longestSeconds = 365.0 * 24 * 3600;

std::optional<double> parseSeconds(const QString &text)
{
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds <= 0 || seconds > longestSeconds)
        return std::nullopt;
    return seconds;
}

const QStringList commandNames {QStringLiteral("config"), QStringLiteral("start"),
    QStringLiteral("rcon"), QStringLiteral("status")};

// Which options each command takes; those that take a value end in '='.
QStringList optionsOf(Command command)
{
    const QStringList remote {QStringLiteral("--host="), QStringLiteral("--port="),
        QStringLiteral("--password="), QStringLiteral("--timeout=")};
    switch (command) {
    case Command::Config:
        return {QStringLiteral("--print")};
    case Command::Start:
        return {QStringLiteral("--foreground"), QStringLiteral("--restart"),
            QStringLiteral("--max-restarts="), QStringLiteral("--within="),
            QStringLiteral("--hang-after="), QStringLiteral("--agones")};
    case Command::Rcon:
        return remote;
    case Command::Status:
        return remote + QStringList {QStringLiteral("--watch")};
    case Command::Help:
        break;
    }
    return {};
}

// Sets one option from its value; returns why the value is wrong, or "".
QString applyOption(Options &options, const QString &name, const QString &value)
{
    if (name == u"--print") {
        options.print = true;
    } else if (name == u"--foreground") {
        options.foreground = true;
    } else if (name == u"--restart") {
        options.restart = true;
    } else if (name == u"--agones") {
        options.agones = true;
    } else if (name == u"--watch") {
        options.watch = true;
    } else if (name == u"--host") {
        if (value.isEmpty())
            return QStringLiteral("--host takes a host name or address");
        options.host = value;
    } else if (name == u"--password") {
        options.password = value;
    } else if (name == u"--max-restarts") {
        bool ok = false;
        options.maxRestarts = value.toInt(&ok);
        if (!ok || options.maxRestarts < 0)
            return QStringLiteral("--max-restarts takes a whole number of 0 or more, not \"%1\"")
                .arg(value);
    } else if (name == u"--port") {
        options.port = platform::parsePortNumber(value.toStdString());
        if (!options.port)
            return QStringLiteral("--port takes a port number from 1 to 65535, not \"%1\"")
                .arg(value);
    } else {
        const std::optional<double> seconds = parseSeconds(value);
        if (!seconds)
            return QStringLiteral("%1 takes a number of seconds above 0, not \"%2\"")
                .arg(name, value);
        if (name == u"--within")
            options.withinSeconds = *seconds;
        else if (name == u"--hang-after")
            options.hangAfterSeconds = *seconds;
        else
            options.timeoutSeconds = *seconds;
    }
    return {};
}

} // namespace

// Every way out returns `parsed` itself: copying the half-filled options
// trips the compiler's maybe-uninitialized check under the sanitizers.
ParsedCommandLine parseCommandLine(const QStringList &arguments)
{
    ParsedCommandLine parsed;
    Options &options = parsed.options;
    if (arguments.isEmpty()) {
        parsed.error = QStringLiteral("no command given");
        return parsed;
    }
    const QString &word = arguments.first();
    if (word == u"--help" || word == u"-h" || word == u"help")
        return parsed;
    const qsizetype index = commandNames.indexOf(word);
    if (index < 0) {
        parsed.error = QStringLiteral("unknown command \"%1\"").arg(word);
        return parsed;
    }
    options.command = Command(index + 1);

    const QStringList known = optionsOf(options.command);
    bool endOfOptions = false;
    bool limitsGiven = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        // The remote console's command may hold words that begin with a
        // dash, so everything from its first word on is the command.
        if (endOfOptions || !options.commandWords.isEmpty() || !argument.startsWith(u'-')) {
            if (options.command != Command::Rcon) {
                parsed.error = QStringLiteral("%1 takes no word \"%2\"").arg(word, argument);
                return parsed;
            }
            options.commandWords.append(argument);
            continue;
        }
        if (argument == u"--") {
            endOfOptions = true;
            continue;
        }
        if (argument == u"--help" || argument == u"-h") {
            options.command = Command::Help;
            return parsed;
        }
        const qsizetype equals = argument.indexOf(u'=');
        const QString name = equals < 0 ? argument : argument.left(equals);
        const bool takesValue = known.contains(name + u'=');
        if (!takesValue && !known.contains(name)) {
            parsed.error = QStringLiteral("%1 has no option %2").arg(word, name);
            return parsed;
        }
        QString value;
        if (takesValue && equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (takesValue) {
            if (++i == arguments.size()) {
                parsed.error = QStringLiteral("%1 needs a value").arg(name);
                return parsed;
            }
            value = arguments.at(i);
        } else if (equals >= 0) {
            {
                parsed.error = QStringLiteral("%1 takes no value").arg(name);
                return parsed;
            }
        }
        if (const QString wrong = applyOption(options, name, value); !wrong.isEmpty()) {
            parsed.error = wrong;
            return parsed;
        }
        limitsGiven = limitsGiven || name == u"--max-restarts" || name == u"--within";
    }

    if (options.command == Command::Rcon && options.commandWords.isEmpty()) {
        parsed.error = QStringLiteral("rcon needs a command to send");
        return parsed;
    }
    if (options.restart && !options.foreground) {
        parsed.error = QStringLiteral("--restart needs --foreground: only a watching tarnctl "
                                      "can restart the server");
        return parsed;
    }
    if (options.agones && !options.foreground) {
        parsed.error = QStringLiteral("--agones needs --foreground: only a watching tarnctl "
                                      "can tell Agones how the server does");
        return parsed;
    }
    if (limitsGiven && !options.restart)
        parsed.error = QStringLiteral("--max-restarts and --within need --restart");
    return parsed;
}

QString usageText()
{
    return QStringLiteral(
        "Usage: tarnctl COMMAND [OPTIONS]\n"
        "Runs a Tarn dedicated server from the TarnStarter settings store, without a desktop.\n"
        "\n"
        "  config [--print]        write USER\\Dedicated.cfg and the map-cycle files as \"Go\"\n"
        "                          does; --print writes the text to standard output instead\n"
        "  start [--foreground] [--restart] [--max-restarts N --within SECONDS]\n"
        "        [--agones]        write the configuration and start the server; with\n"
        "                          --foreground stay and watch it, with --restart bring it\n"
        "                          back after a crash (at most N times within SECONDS,\n"
        "                          5 in 300 by default); with --agones tell the Agones SDK\n"
        "                          server how it does\n"
        "  rcon [--host H] [--port P] [--password X] [--timeout SECONDS] COMMAND...\n"
        "                          send one remote-console command and print the reply\n"
        "  status [--watch] [--host H] [--port P] [--password X] [--timeout SECONDS]\n"
        "                          the monitor's status poll, once or every 3 seconds\n"
        "\n"
        "The store is $TARNSTARTER_REGISTRY, else\n%1.\n"
        "Exit status: 0 done, 1 failed, 2 bad usage, 3 no answer or gave up restarting,\n"
        "4 password refused. See tarnctl(1).\n")
        .arg(QLatin1String(platform::defaultStoreName()));
}

} // namespace tarnctl
