#pragma once

// The rows of the TCP Connection Status list, for a report view.

#include "monitor/tcprows.h"

#include <QAbstractTableModel>

class TcpTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(QList<TcpListRow> rows);
    const QList<TcpListRow> &rows() const { return m_rows; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<TcpListRow> m_rows;
};
