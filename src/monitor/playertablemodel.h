#pragma once

// The players of the latest status reply, for a table view. A new reply
// changes the rows in place: a player who stays keeps its row, so the
// selection and the scroll position survive every poll.

#include "monitor/headedtablemodel.h"
#include "monitor/playerlist.h"

class PlayerTableModel : public HeadedTableModel
{
    Q_OBJECT

public:
    enum Column { Number, Name, Score, Ping, Address, ColumnCount };

    explicit PlayerTableModel(QObject *parent = nullptr);

    void setPlayers(const QList<PlayerRow> &players);
    const QList<PlayerRow> &players() const { return m_players; }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QList<PlayerRow> m_players;
};
