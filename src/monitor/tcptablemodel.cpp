#include "monitor/tcptablemodel.h"

namespace {
constexpr int columns = 5;
}

void TcpTableModel::setRows(QList<TcpListRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int TcpTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TcpTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columns;
}

QVariant TcpTableModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows.size())
        return {};
    const TcpListRow &row = m_rows.at(index.row());
    switch (index.column()) {
    case 0:
        return row.localAddress;
    case 1:
        return row.localPort;
    case 2:
        return row.remoteAddress;
    case 3:
        return row.remotePort;
    case 4:
        return row.state;
    default:
        return {};
    }
}

QVariant TcpTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // "Loacal" is how the column has always been titled.
    static const char *const titles[columns]
        = {"Loacal IP", "Local Port", "Remote IP", "Remote Port", "State"};
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0
        || section >= columns)
        return {};
    return QString::fromLatin1(titles[section]);
}
