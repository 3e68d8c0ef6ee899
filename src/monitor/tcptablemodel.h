#pragma once

// The rows of the TCP Connection Status list, for a report view. A refresh
// changes the rows in place, matching each connection by its addresses and
// ports, so that a view keeps its selection, scroll position and sort.

#include "monitor/headedtablemodel.h"
#include "monitor/tcprows.h"

class TcpTableModel : public HeadedTableModel
{
    Q_OBJECT

public:
    // What a column sorts by: addresses and ports as numbers, the state by name.
    static constexpr int SortRole = Qt::UserRole;

    explicit TcpTableModel(QObject *parent = nullptr);

    // The rows become `rows`, in their order: rows gone are removed, new ones
    // inserted, moved ones moved and changed states changed.
    void setRows(const std::vector<platform::TcpRow> &rows);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    void removeRowsNotIn(const QList<bool> &stays);
    void reorder(const QList<qsizetype> &order);

    // Kept as the table gives them; a cell's text is formed when it is shown.
    QList<platform::TcpRow> m_rows;
};
