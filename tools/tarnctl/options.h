#pragma once

// tarnctl's command line: a command word, then that command's options.

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

namespace tarnctl {

// Exit statuses besides 0 and the 1 of a plain failure; each has one meaning.
constexpr int exitUsage = 2;
constexpr int exitNoAnswer = 3;
constexpr int exitRefused = 4;
constexpr int exitGaveUp = 5;
// The instance's server already runs, or its game folder serves another
// instance.
constexpr int exitBusy = 6;

enum class Command { Help, Config, Start, Rcon, Status, Stop, Restart, Reload };

struct Options
{
    Command command = Command::Help;
    // config
    bool print = false;
    // start and restart
    bool foreground = false;
    bool restart = false;
    int maxRestarts = 5;
    double withinSeconds = 300;
    // How long a detached start waits for the server's first answer.
    double waitSeconds = 10;
    // A watcher that keeps its output and process ids in the state folder.
    bool stateFiles = false;
    // stop and restart: how long each way of stopping gets.
    double graceSeconds = 10;
    // how long a running server may leave status polls unanswered
    double hangAfterSeconds = 30;
    // tell the Agones SDK server beside it how the server does
    bool agones = false;
    // rcon and status; port and password come from the store unless given
    QString host = QStringLiteral("127.0.0.1");
    std::optional<quint16> port;
    std::optional<QString> password;
    double timeoutSeconds = 3;
    bool watch = false;
    bool json = false;
    QStringList commandWords;
};

struct ParsedCommandLine
{
    Options options;
    // Why the command line is wrong, or "".
    QString error;
};

// `arguments` without the program's own name. The password may come from
// --password, --password-file or $TARNCTL_PASSWORD, in that order.
ParsedCommandLine parseCommandLine(const QStringList &arguments);

QString usageText();

} // namespace tarnctl
