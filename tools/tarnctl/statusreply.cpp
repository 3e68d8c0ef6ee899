#include "statusreply.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QPair>

namespace tarnctl {

namespace {

using Span = QPair<qsizetype, qsizetype>; // start and end; the last one runs to the line's end

// The columns, from the line of dashes under the header.
QList<Span> columnsOf(const QString &dashes)
{
    QList<Span> spans;
    qsizetype i = 0;
    while (i < dashes.size()) {
        while (i < dashes.size() && dashes.at(i) == u' ')
            ++i;
        const qsizetype start = i;
        while (i < dashes.size() && dashes.at(i) == u'-')
            ++i;
        if (i > start)
            spans.append({start, i});
    }
    if (!spans.isEmpty())
        spans.last().second = -1;
    return spans;
}

QJsonValue valueOf(const QString &field)
{
    bool number = false;
    const int value = field.toInt(&number);
    return number ? QJsonValue(value) : QJsonValue(field);
}

} // namespace

QByteArray statusJson(const QString &replyText)
{
    const QStringList lines = replyText.split(u'\n');
    QJsonObject status;
    QJsonArray players;
    QStringList header;
    QList<Span> columns;
    for (qsizetype row = 0; row < lines.size(); ++row) {
        const QString &line = lines.at(row);
        if (line.startsWith(QLatin1String("map: "))) {
            status.insert(QStringLiteral("map"), line.mid(5).trimmed());
        } else if (header.isEmpty() && line.startsWith(QLatin1String("num score ping name"))
            && row + 1 < lines.size()) {
            columns = columnsOf(lines.at(++row));
            header = line.split(u' ', Qt::SkipEmptyParts);
        } else if (!columns.isEmpty() && !line.trimmed().isEmpty()) {
            QJsonObject player;
            for (qsizetype c = 0; c < columns.size() && c < header.size(); ++c) {
                const auto [start, end] = columns.at(c);
                const QString field = line.mid(start, end < 0 ? -1 : end - start).trimmed();
                player.insert(
                    header.at(c), header.at(c) == u"name" ? QJsonValue(field) : valueOf(field));
            }
            players.append(player);
        }
    }
    status.insert(QStringLiteral("players"), players);
    return QJsonDocument(status).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace tarnctl
