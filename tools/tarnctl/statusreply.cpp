#include "statusreply.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace tarnctl {

namespace {

QJsonValue valueOf(const QString &field)
{
    bool number = false;
    const int value = field.toInt(&number);
    return number ? QJsonValue(value) : QJsonValue(field);
}

// One row: the columns before the name from the left, those after it from
// the right, and the name, blanks and all, in between. Columns do not line
// up where a name holds colour codes, so they are not counted in.
QJsonObject player(const QString &row, const QStringList &header)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const qsizetype nameColumn = header.indexOf(QStringLiteral("name"));
    const qsizetype after = header.size() - nameColumn - 1;
    const QStringList fields = row.trimmed().split(blanks);
    if (fields.size() < header.size())
        return {};
    QJsonObject player;
    for (qsizetype c = 0; c < nameColumn; ++c)
        player.insert(header.at(c), valueOf(fields.at(c)));
    for (qsizetype c = 0; c < after; ++c)
        player.insert(header.at(nameColumn + 1 + c), valueOf(fields.at(fields.size() - after + c)));
    // The name as printed, inner blanks kept.
    QString rest = row.trimmed();
    for (qsizetype c = 0; c < nameColumn; ++c)
        rest = rest.section(blanks, 1);
    for (qsizetype c = 0; c < after; ++c)
        rest = rest.section(blanks, 0, -2);
    player.insert(QStringLiteral("name"), rest.trimmed());
    return player;
}

} // namespace

QByteArray statusJson(const QString &replyText)
{
    QJsonObject status;
    QJsonArray players;
    QStringList header;
    for (const QString &line : replyText.split(u'\n')) {
        if (line.startsWith(QLatin1String("map: "))) {
            status.insert(QStringLiteral("map"), line.mid(5).trimmed());
        } else if (line.startsWith(QLatin1String("num score ping name"))) {
            header = line.split(u' ', Qt::SkipEmptyParts);
        } else if (!header.isEmpty() && !line.startsWith(u'-')) {
            if (const QJsonObject row = player(line, header); !row.isEmpty())
                players.append(row);
        }
    }
    status.insert(QStringLiteral("players"), players);
    return QJsonDocument(status).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace tarnctl
