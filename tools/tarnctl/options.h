#pragma once

// tarnctl's command line: a command word, then that command's options.

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

namespace tarnctl {

// Exit statuses besides 0 and the 1 of a plain failure.
constexpr int exitUsage = 2;
constexpr int exitNoAnswer = 3;
constexpr int exitGaveUp = 3;
constexpr int exitRefused = 4;

enum class Command { Help, Config, Start, Rcon, Status };

struct Options
{
    Command command = Command::Help;
    // config
    bool print = false;
    // start
    bool foreground = false;
    bool restart = false;
    int maxRestarts = 5;
    double withinSeconds = 300;
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
    QStringList commandWords;
};

struct ParsedCommandLine
{
    Options options;
    // Why the command line is wrong, or "".
    QString error;
};

// `arguments` without the program's own name.
ParsedCommandLine parseCommandLine(const QStringList &arguments);

QString usageText();

} // namespace tarnctl
