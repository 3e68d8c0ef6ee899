#include "options.h"

#include "platform/portnumber.h"
#include "platform/registry.h"

#include <QFile>
#include <cmath>

namespace tarnctl {

namespace {

// Longer waits than a year are typing mistakes, and would overflow the
// millisecond clocks they end up in.
constexpr double longestSeconds = 365.0 * 24 * 3600;

struct SecondsRange
{
    double least;
    double most;
};

// The sensible range of each option that takes seconds: a remote-console
// answer takes well under a minute, a start or a stop some minutes at most.
SecondsRange rangeOf(const QString &name)
{
    if (name == u"--timeout")
        return {0.1, 60};
    if (name == u"--within")
        return {0.001, longestSeconds};
    return {0.1, 600};
}

std::optional<double> parseSeconds(const QString &text, SecondsRange range)
{
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < range.least || seconds > range.most)
        return std::nullopt;
    return seconds;
}

double &secondsOption(Options &options, const QString &name)
{
    if (name == u"--within")
        return options.withinSeconds;
    if (name == u"--wait")
        return options.waitSeconds;
    if (name == u"--grace")
        return options.graceSeconds;
    if (name == u"--hang-after")
        return options.hangAfterSeconds;
    return options.timeoutSeconds;
}

// The first line of the file, so that the password shows in no process list.
std::optional<QString> passwordFromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray line = file.readLine();
    return QString::fromUtf8(line.left(line.indexOf('\n'))).remove(u'\r');
}

const QStringList commandNames {QStringLiteral("config"), QStringLiteral("start"),
    QStringLiteral("rcon"), QStringLiteral("status"), QStringLiteral("stop"),
    QStringLiteral("restart"), QStringLiteral("reload")};

// Which options each command takes; those that take a value end in '='.
QStringList optionsOf(Command command)
{
    const QStringList remote {QStringLiteral("--host="), QStringLiteral("--port="),
        QStringLiteral("--password="), QStringLiteral("--password-file="),
        QStringLiteral("--timeout=")};
    const QStringList restarts {QStringLiteral("--restart"), QStringLiteral("--max-restarts="),
        QStringLiteral("--within="), QStringLiteral("--wait="), QStringLiteral("--hang-after=")};
    switch (command) {
    case Command::Config:
        return {QStringLiteral("--print")};
    case Command::Start:
        return restarts
            + QStringList {QStringLiteral("--foreground"), QStringLiteral("--state-files"),
                QStringLiteral("--agones")};
    case Command::Restart:
        return restarts + QStringList {QStringLiteral("--grace=")};
    case Command::Stop:
        return {QStringLiteral("--grace=")};
    case Command::Reload:
        return {QStringLiteral("--timeout=")};
    case Command::Rcon:
        return remote;
    case Command::Status:
        return remote + QStringList {QStringLiteral("--watch"), QStringLiteral("--json")};
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
    } else if (name == u"--json") {
        options.json = true;
    } else if (name == u"--state-files") {
        options.stateFiles = true;
    } else if (name == u"--host") {
        // An IPv6 address as tarnctl itself prints one, in brackets.
        const bool bracketed = value.size() > 2 && value.startsWith(u'[') && value.endsWith(u']');
        options.host = bracketed ? value.mid(1, value.size() - 2) : value;
        if (options.host.isEmpty())
            return QStringLiteral("--host takes a host name or address");
    } else if (name == u"--password") {
        options.password = value;
    } else if (name == u"--password-file") {
        options.password = passwordFromFile(value);
        if (!options.password)
            return QStringLiteral("--password-file: cannot read \"%1\"").arg(value);
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
        const SecondsRange range = rangeOf(name);
        const std::optional<double> seconds = parseSeconds(value, range);
        if (!seconds)
            return QStringLiteral("%1 takes a number of seconds from %2 to %3, not \"%4\"")
                .arg(name)
                .arg(range.least)
                .arg(range.most)
                .arg(value);
        secondsOption(options, name) = *seconds;
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
    bool waitGiven = false;
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
        waitGiven = waitGiven || name == u"--wait";
    }

    if (options.command == Command::Rcon && options.commandWords.isEmpty()) {
        parsed.error = QStringLiteral("rcon needs a command to send");
        return parsed;
    }
    if (options.stateFiles && !options.foreground) {
        parsed.error = QStringLiteral("--state-files needs --foreground");
        return parsed;
    }
    if (options.agones && !options.foreground) {
        parsed.error = QStringLiteral("--agones needs --foreground: only a watching tarnctl "
                                      "can tell Agones how the server does");
        return parsed;
    }
    if (waitGiven && options.foreground) {
        parsed.error = QStringLiteral("--wait is for a detached start, not --foreground");
        return parsed;
    }
    if (limitsGiven && !options.restart) {
        parsed.error = QStringLiteral("--max-restarts and --within need --restart");
        return parsed;
    }
    if (!options.password && qEnvironmentVariableIsSet("TARNCTL_PASSWORD"))
        options.password = qEnvironmentVariable("TARNCTL_PASSWORD");
    return parsed;
}

QString usageText()
{
    return QStringLiteral(
        "Usage: tarnctl COMMAND [OPTIONS]\n"
        "Runs a Tarn dedicated server from the TarnStarter settings store, without a desktop.\n"
        "One store is one instance; one game folder serves one instance.\n"
        "\n"
        "  config [--print]        write USER\\Dedicated.cfg and the map-cycle files as \"Go\"\n"
        "                          does; --print writes the text to standard output instead\n"
        "  start [--wait SECONDS] [--restart [--max-restarts N] [--within SECONDS]]\n"
        "                          write the configuration and start the server with a\n"
        "                          watching tarnctl in the background; succeed once the server\n"
        "                          answers a status poll (within 10 s by default), else stop\n"
        "                          it and show the end of its log. Nothing starts when a file\n"
        "                          cannot be written. --restart brings the server back after\n"
        "                          a crash, at most N times within SECONDS (5 in 300);\n"
        "                          --hang-after SECONDS (30) counts a server that leaves the\n"
        "                          status polls unanswered that long as crashed\n"
        "  start --foreground [--restart ...] [--state-files] [--agones]\n"
        "                          the same, watching in this process (as the service does);\n"
        "                          --state-files puts the output in the log and the process\n"
        "                          ids in the pid files, as a background start does; --agones\n"
        "                          tells the Agones SDK server how the server does\n"
        "  stop [--grace SECONDS]  the remote console's quit, then SIGTERM to the watching\n"
        "                          tarnctl, then SIGKILL, each after SECONDS (10)\n"
        "  restart [--grace SECONDS] [start's options]\n"
        "                          stop, then start\n"
        "  reload [--timeout SECONDS]\n"
        "                          write the configuration again and have the running server\n"
        "                          read it (\"exec dedicated.cfg\"); the port and the password\n"
        "                          change only with a restart\n"
        "  rcon [--host H] [--port P] [--password X | --password-file FILE]\n"
        "       [--timeout SECONDS] COMMAND...\n"
        "                          send one remote-console command and print the reply\n"
        "  status [--watch] [--json] [--host H] [--port P] [--password X | --password-file FILE]\n"
        "       [--timeout SECONDS]\n"
        "                          the monitor's status poll, once or every 3 seconds; --json\n"
        "                          prints the map and the players as players --json does\n"
        "\n"
        "The port and the password come from the store unless given; the password may also\n"
        "come from $TARNCTL_PASSWORD. --timeout takes 0.1 to 60 seconds (3), --wait and\n"
        "--grace 0.1 to 600. The store is $TARNSTARTER_REGISTRY, else\n%1.\n"
        "A background start keeps tarnctl.log (its output), tarnctl.pid and server.pid beside\n"
        "the store, prefixed by the store's name unless it is registry.db.\n"
        "Exit status: 0 done, 1 failed, 2 bad usage, 3 no answer, 4 password refused,\n"
        "5 gave up restarting, 6 the server already runs or its game folder is in use.\n"
        "See tarnctl(1).\n")
        .arg(QLatin1String(platform::defaultStoreName()));
}

} // namespace tarnctl
