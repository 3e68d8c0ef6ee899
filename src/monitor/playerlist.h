#pragma once

// The player table of a server's "status" reply. Servers of the game's
// engine family differ in their columns ("num score ping name address",
// "cl score ping name address rate", ...), so the columns are found from the
// reply's header line. Names may hold blanks and colour codes ('^' and a
// digit); every column but the name is one word, so the name is what lies
// between the columns before it and those after it.

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct PlayerRow
{
    // The number "kick" takes for this player.
    int number = 0;
    // As the server sent it, colour codes and all, as "kick" takes it.
    QString name;
    QString score;
    QString ping;
    QString address;

    // Without colour codes, as players see it.
    QString shownName() const;
    bool isBot() const { return address == QLatin1String("bot"); }
    // The address without its port, as the ban list takes it.
    QString host() const;
    // Whether two rows are the same player in the same slot.
    bool samePlayer(const PlayerRow &other) const
    {
        return number == other.number && name == other.name && address == other.address;
    }
    bool operator==(const PlayerRow &) const = default;
};

struct StatusReply
{
    enum class Kind {
        // Another command's reply, or not a reply at all.
        Other,
        Players,
        // A status reply that cannot be read whole; `problem` says why.
        Unreadable,
    };
    Kind kind = Kind::Other;
    QString map;
    QList<PlayerRow> players;
    QString problem;
};

// The reply text (after the datagram's header) as Windows-1252 bytes.
StatusReply parseStatusReply(QByteArrayView text);

// Whether the text begins a status reply; the pieces of a long reply that
// follow the first are rows only.
bool beginsStatusReply(QByteArrayView text);

// The text without colour codes.
QString withoutColourCodes(const QString &text);

// The addresses of a "filter_list" reply ("Filter list:" and one address a
// line), or nothing when the text is another reply.
std::optional<QStringList> filterListEntries(QByteArrayView text);
