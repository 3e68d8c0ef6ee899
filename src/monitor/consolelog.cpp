#include "monitor/consolelog.h"

#include <QStringList>

namespace {

QString stamp(const QTime &when, char direction)
{
    return when.toString(QStringLiteral("HH:mm:ss")) + QLatin1Char(' ') + QLatin1Char(direction)
        + QLatin1Char(' ');
}

} // namespace

QString sentLogEntry(const QTime &when, const QString &commandPart)
{
    QString command = commandPart;
    if (command.startsWith(QLatin1Char(' ')))
        command.remove(0, 1);
    if (command.endsWith(QLatin1Char(' ')))
        command.chop(1);
    return stamp(when, '>') + command;
}

QString replyLogEntry(const QTime &when, const QString &shownReply)
{
    const QString head = stamp(when, '<');
    QString reply = shownReply;
    while (reply.endsWith(QLatin1Char('\n')))
        reply.chop(1);
    if (reply.isEmpty())
        return head + QStringLiteral("(empty reply)");
    return head
        + reply.split(QLatin1Char('\n')).join(QLatin1Char('\n') + QString(head.size(), u' '));
}
