#pragma once

// The columns of a flat table for a view: as many as it has headings, each
// titled across the top. A subclass holds the rows and what each cell shows.

#include <QAbstractTableModel>
#include <QStringList>

class HeadedTableModel : public QAbstractTableModel
{
public:
    int columnCount(const QModelIndex &parent = {}) const final;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const final;

protected:
    HeadedTableModel(const QStringList &headings, QObject *parent);

private:
    const QStringList m_headings;
};
