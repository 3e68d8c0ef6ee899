#include "monitor/playerlist.h"

#include "platform/codepage.h"

#include <algorithm>
#include <string_view>

namespace {

QString decode(QByteArrayView bytes)
{
    return QString::fromStdU16String(
        platform::cp1252ToUtf16(std::string_view(bytes.data(), std::size_t(bytes.size()))));
}

bool isBlank(QChar c)
{
    return c.isSpace();
}

// The words of a line with where each begins and ends.
struct Word
{
    qsizetype begin;
    qsizetype end;
};

QList<Word> words(QStringView line)
{
    QList<Word> found;
    qsizetype i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        const qsizetype begin = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        if (i > begin)
            found.append({begin, i});
    }
    return found;
}

QStringList lowerWords(QStringView line)
{
    QStringList list;
    for (const Word &word : words(line))
        list.append(line.mid(word.begin, word.end - word.begin).toString().toLower());
    return list;
}

bool isNumberColumn(const QString &heading)
{
    return heading == QLatin1String("num") || heading == QLatin1String("cl");
}

bool isHeader(QStringView line)
{
    const QStringList columns = lowerWords(line);
    return !columns.isEmpty() && isNumberColumn(columns.front())
        && columns.contains(QLatin1String("name"));
}

bool isRule(QStringView line)
{
    return !line.trimmed().isEmpty()
        && std::all_of(line.begin(), line.end(), [](QChar c) { return c == u'-' || isBlank(c); });
}

StatusReply unreadable(const QString &problem)
{
    StatusReply reply;
    reply.kind = StatusReply::Kind::Unreadable;
    reply.problem = problem;
    return reply;
}

QString lineProblem(qsizetype index, const char *what)
{
    return QStringLiteral("line %1 %2").arg(index + 1).arg(QLatin1String(what));
}

} // namespace

QString withoutColourCodes(const QString &text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'^' && i + 1 < text.size() && text[i + 1].isDigit()
            && text[i + 1].unicode() < 128)
            ++i;
        else
            plain.append(text[i]);
    }
    return plain;
}

QString PlayerRow::shownName() const
{
    return withoutColourCodes(name);
}

QString PlayerRow::host() const
{
    return address.section(u':', 0, 0);
}

bool beginsStatusReply(QByteArrayView text)
{
    if (text.startsWith("map:"))
        return true;
    const qsizetype end = text.indexOf('\n');
    return isHeader(decode(end < 0 ? text : text.first(end)));
}

StatusReply parseStatusReply(QByteArrayView text)
{
    const QString decoded = decode(text);
    QList<QStringView> lines = QStringView(decoded).split(u'\n');
    // What follows the last line end is a line cut short; empty when the
    // reply ended as it should.
    const bool ended = lines.back().isEmpty();
    lines.removeLast();
    for (QStringView &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }

    StatusReply reply;
    qsizetype at = 0;
    const bool hasMapLine = !lines.isEmpty() && lines.front().startsWith(u"map:");
    if (hasMapLine)
        reply.map = lines[at++].mid(4).trimmed().toString();
    if (at >= lines.size() || !isHeader(lines[at])) {
        if (hasMapLine || !ended)
            return unreadable(ended ? QStringLiteral("no player table after the map line")
                                    : QStringLiteral("the reply is cut short"));
        return {};
    }
    const QStringList columns = lowerWords(lines[at++]);
    const qsizetype nameColumn = columns.indexOf(QLatin1String("name"));
    const qsizetype after = columns.size() - nameColumn - 1;
    if (at < lines.size() && isRule(lines[at]))
        ++at;

    for (; at < lines.size() && !lines[at].trimmed().isEmpty(); ++at) {
        const QStringView line = lines[at];
        const QList<Word> found = words(line);
        if (found.size() < columns.size())
            return unreadable(lineProblem(at, "has too few columns"));
        PlayerRow row;
        const auto field = [&](qsizetype index) {
            const Word word
                = found[index < nameColumn ? index : found.size() - (columns.size() - index)];
            return withoutColourCodes(line.mid(word.begin, word.end - word.begin).toString());
        };
        for (qsizetype column = 0; column < columns.size(); ++column) {
            const QString &heading = columns[column];
            if (column == nameColumn) {
                const qsizetype begin = found[nameColumn].begin;
                const qsizetype end = found[found.size() - after - 1].end;
                row.name = line.mid(begin, end - begin).toString();
            } else if (isNumberColumn(heading)) {
                bool ok = false;
                row.number = field(column).toInt(&ok);
                if (!ok || row.number < 0)
                    return unreadable(lineProblem(at, "has no player number"));
            } else if (heading == QLatin1String("score")) {
                row.score = field(column);
            } else if (heading == QLatin1String("ping")) {
                row.ping = field(column);
            } else if (heading == QLatin1String("address")) {
                row.address = field(column);
            }
        }
        reply.players.append(std::move(row));
    }
    if (!ended)
        return unreadable(QStringLiteral("the reply is cut short"));
    reply.kind = StatusReply::Kind::Players;
    return reply;
}

std::optional<QStringList> filterListEntries(QByteArrayView text)
{
    if (!text.startsWith("Filter list:"))
        return std::nullopt;
    QStringList entries;
    for (const QString &line : decode(text).split(u'\n').mid(1)) {
        const QString entry = line.trimmed();
        if (!entry.isEmpty())
            entries.append(entry);
    }
    return entries;
}
