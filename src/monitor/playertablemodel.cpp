#include "monitor/playertablemodel.h"

PlayerTableModel::PlayerTableModel(QObject *parent)
    : HeadedTableModel({tr("Num"), tr("Name"), tr("Score"), tr("Ping"), tr("Address")}, parent)
{
}

void PlayerTableModel::setPlayers(const QList<PlayerRow> &players)
{
    // Players who left go first, each run of rows at once.
    for (qsizetype row = m_players.size() - 1; row >= 0; --row) {
        const auto stays = [&](const PlayerRow &p) { return p.samePlayer(m_players[row]); };
        if (std::any_of(players.begin(), players.end(), stays))
            continue;
        qsizetype first = row;
        while (first > 0 && std::none_of(players.begin(), players.end(), [&](const PlayerRow &p) {
            return p.samePlayer(m_players[first - 1]);
        }))
            --first;
        beginRemoveRows({}, int(first), int(row));
        m_players.remove(first, row - first + 1);
        endRemoveRows();
        row = first;
    }
    // Those who stay keep their order; anyone else comes in where the reply
    // has them. A server that reorders its rows gets a fresh table.
    // Rows already passed keep their places, so the changed ones are told
    // at the end, at once.
    qsizetype row = 0;
    qsizetype firstChanged = -1;
    qsizetype lastChanged = -1;
    for (const PlayerRow &player : players) {
        if (row < m_players.size() && m_players[row].samePlayer(player)) {
            if (m_players[row] != player) {
                m_players[row] = player;
                firstChanged = firstChanged < 0 ? row : firstChanged;
                lastChanged = row;
            }
        } else if (std::any_of(m_players.begin() + row, m_players.end(),
                       [&](const PlayerRow &p) { return p.samePlayer(player); })) {
            beginResetModel();
            m_players = players;
            endResetModel();
            return;
        } else {
            beginInsertRows({}, int(row), int(row));
            m_players.insert(row, player);
            endInsertRows();
        }
        ++row;
    }
    if (row < m_players.size()) {
        beginRemoveRows({}, int(row), int(m_players.size() - 1));
        m_players.remove(row, m_players.size() - row);
        endRemoveRows();
    }
    if (firstChanged >= 0)
        emit dataChanged(index(int(firstChanged), 0), index(int(lastChanged), ColumnCount - 1));
}

int PlayerTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_players.size());
}

QVariant PlayerTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_players.size())
        return {};
    const PlayerRow &player = m_players[index.row()];
    if (role == Qt::TextAlignmentRole)
        return index.column() == Name || index.column() == Address
            ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
            : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    switch (index.column()) {
    case Number:
        return player.number;
    case Name:
        return player.shownName();
    case Score:
        return player.score;
    case Ping:
        return player.ping;
    case Address:
        return player.address;
    default:
        return {};
    }
}
