#include "monitor/headedtablemodel.h"

HeadedTableModel::HeadedTableModel(const QStringList &headings, QObject *parent)
    : QAbstractTableModel(parent), m_headings(headings)
{
}

int HeadedTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_headings.size());
}

QVariant HeadedTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= m_headings.size())
        return {};
    return m_headings.at(section);
}
