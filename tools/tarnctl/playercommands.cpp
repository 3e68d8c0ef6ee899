#include "playercommands.h"

#include "monitor/playerlist.h"
#include "monitor/rconreply.h"
#include "monitor/rconrequest.h"
#include "options.h"
#include "output.h"
#include "rconcommands.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>

namespace tarnctl {

namespace {

struct PlayerCommand
{
    // What the server is sent, and how many words the command takes:
    // 1 exactly, 0 none, -1 one or more (a name may hold blanks).
    const char *consoleCommand;
    int words;
};

const std::map<QString, PlayerCommand> &playerCommands()
{
    static const std::map<QString, PlayerCommand> commands {
        {QStringLiteral("players"), {"status", 0}},
        {QStringLiteral("kick"), {"kick", -1}},
        {QStringLiteral("ban"), {"filter_add", 1}},
        {QStringLiteral("unban"), {"filter_remove", 1}},
        {QStringLiteral("bans"), {"filter_list", 0}},
        {QStringLiteral("map"), {"map", 1}},
    };
    return commands;
}

int usageError(const QString &why)
{
    complain(why + QStringLiteral("\nTry \"tarnctl --help\"."));
    return exitUsage;
}

// The reply's text as the server sent it, each datagram without its header.
QByteArray replyBytes(const QByteArrayList &replies)
{
    QByteArray text;
    for (const QByteArray &datagram : replies)
        text += datagram.mid(replyHeaderSize);
    return text;
}

QJsonValue numberOrText(const QString &text)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok ? QJsonValue(number) : QJsonValue(text);
}

QString table(const StatusReply &reply)
{
    QString text
        = QStringLiteral("map: %1\nnum score ping name                 address\n").arg(reply.map);
    for (const PlayerRow &p : reply.players) {
        text += QStringLiteral("%1 %2 %3 %4 %5\n")
                    .arg(p.number, 3)
                    .arg(p.score, 5)
                    .arg(p.ping, 4)
                    .arg(p.shownName(), -20)
                    .arg(p.address);
    }
    return text;
}

QString json(const StatusReply &reply)
{
    QJsonArray players;
    for (const PlayerRow &p : reply.players) {
        players.append(QJsonObject {{QStringLiteral("number"), p.number},
            {QStringLiteral("name"), p.shownName()}, {QStringLiteral("rawName"), p.name},
            {QStringLiteral("score"), numberOrText(p.score)},
            {QStringLiteral("ping"), numberOrText(p.ping)}, {QStringLiteral("address"), p.address},
            {QStringLiteral("bot"), p.isBot()}});
    }
    const QJsonObject document {
        {QStringLiteral("map"), reply.map}, {QStringLiteral("players"), players}};
    return QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Indented));
}

// The players of the status reply, as a table or as JSON.
int showPlayers(const Options &options, bool asJson)
{
    QByteArrayList replies;
    if (const int failed = askOnce(options, pollCommandPart(Poll::Status), replies))
        return failed;
    const StatusReply reply = parseStatusReply(replyBytes(replies));
    if (reply.kind != StatusReply::Kind::Players) {
        complain(QStringLiteral("cannot read the player list: %1")
                     .arg(reply.kind == StatusReply::Kind::Unreadable
                             ? reply.problem
                             : QStringLiteral("the server's reply holds none")));
        return 1;
    }
    return print(asJson ? json(reply) : table(reply)) ? 0 : 1;
}

// A name with blanks goes in double quotes, as the console reads it.
QString quoted(const QStringList &words)
{
    const QString text = words.join(u' ');
    return words.size() > 1 ? u'"' + text + u'"' : text;
}

} // namespace

std::optional<int> runPlayerCommand(const QStringList &arguments)
{
    if (arguments.isEmpty() || !playerCommands().contains(arguments.first()))
        return std::nullopt;
    const QString word = arguments.first();
    const PlayerCommand command = playerCommands().at(word);
    QStringList rest = arguments.mid(1);
    const bool asJson = word == u"players" && rest.removeAll(QStringLiteral("--json")) > 0;

    // The options are rcon's: read as rcon reads them, with a word to send
    // in place of those the command has none of.
    QStringList asRcon {QStringLiteral("rcon")};
    asRcon += rest;
    if (command.words == 0)
        asRcon += {QStringLiteral("--"), QStringLiteral("x")};
    ParsedCommandLine parsed = parseCommandLine(asRcon);
    const QString needs = command.words < 0 ? QStringLiteral("%1 needs a number or a name")
                                            : QStringLiteral("%1 needs one word");
    if (parsed.options.commandWords.isEmpty() && command.words != 0)
        return usageError(needs.arg(word));
    if (!parsed.error.isEmpty())
        return usageError(parsed.error.replace(QStringLiteral("rcon"), word));
    Options &options = parsed.options;
    if (options.command == Command::Help) {
        return print(playerUsageText()) ? 0 : 1;
    }
    if (!storeUsable(options))
        return 1;
    QStringList words = options.commandWords;
    if (command.words == 0)
        words.removeLast();
    if (command.words >= 0 && words.size() != command.words)
        return usageError(
            command.words == 0 ? QStringLiteral("%1 takes no words").arg(word) : needs.arg(word));
    if (word == u"players")
        return showPlayers(options, asJson);
    options.commandWords = {QLatin1String(command.consoleCommand)};
    if (!words.isEmpty())
        options.commandWords += quoted(words);
    return runRcon(options);
}

QByteArray playersJson(const QByteArrayList &replies)
{
    return json(parseStatusReply(replyBytes(replies))).toUtf8();
}

QString playerUsageText()
{
    return QStringLiteral(
        "Player commands, with rcon's options [--host H] [--port P] [--password X]\n"
        "[--timeout SECONDS] and its exit statuses:\n"
        "  players [--json]        the players of the server's status reply\n"
        "  kick NUMBER|NAME        kick a player by the number players shows, or by name\n"
        "  ban ADDRESS             put an IPv4 address on the ban list (filter_add)\n"
        "  unban ADDRESS           take it off (filter_remove)\n"
        "  bans                    the ban list (filter_list)\n"
        "  map NAME                change the map now\n");
}

} // namespace tarnctl
