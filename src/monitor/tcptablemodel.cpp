#include "monitor/tcptablemodel.h"

#include <QMultiHash>
#include <algorithm>

namespace {

constexpr int stateColumn = 4;

// What tells one connection from another while its state changes.
struct ConnectionKey
{
    uint32_t localAddress;
    int localPort;
    uint32_t remoteAddress;
    int remotePort;

    bool operator==(const ConnectionKey &) const = default;
};

size_t qHash(const ConnectionKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.localAddress, key.localPort, key.remoteAddress, key.remotePort);
}

ConnectionKey keyOf(const platform::TcpRow &row)
{
    return {row.localAddr, PortNumber(row.localPort), row.remoteAddr, PortNumber(row.remotePort)};
}

} // namespace

// "Loacal" is how the column has always been titled.
TcpTableModel::TcpTableModel(QObject *parent)
    : HeadedTableModel(
        {QStringLiteral("Loacal IP"), QStringLiteral("Local Port"), QStringLiteral("Remote IP"),
            QStringLiteral("Remote Port"), QStringLiteral("State")},
        parent)
{
}

void TcpTableModel::setRows(const std::vector<platform::TcpRow> &rows)
{
    // Where each new row stood before, -1 for a new connection. A table can
    // list one connection twice (two sockets listening on one port); the
    // first of them before stays the first after.
    const auto count = qsizetype(rows.size());
    QList<qsizetype> from(count, -1);
    QList<bool> stays(m_rows.size(), false);
    QMultiHash<ConnectionKey, qsizetype> before;
    before.reserve(m_rows.size());
    // The most recent insertion is found first.
    for (qsizetype i = m_rows.size() - 1; i >= 0; --i)
        before.insert(keyOf(m_rows.at(i)), i);
    for (qsizetype j = 0; j < count; ++j) {
        const auto found = before.find(keyOf(rows[j]));
        if (found != before.end()) {
            from[j] = *found;
            stays[*found] = true;
            before.erase(found);
        }
    }
    removeRowsNotIn(stays);

    // The rows that stay, in their new order, by their numbers after the removal.
    QList<qsizetype> place(stays.size());
    qsizetype kept = 0;
    for (qsizetype i = 0; i < stays.size(); ++i) {
        place[i] = kept;
        kept += stays.at(i);
    }
    QList<qsizetype> order;
    order.reserve(kept);
    for (qsizetype old : from) {
        if (old >= 0)
            order.append(place.at(old));
    }
    if (!std::is_sorted(order.cbegin(), order.cend()))
        reorder(order);

    // Now the rows that stay stand in the new order; new ones go in between.
    qsizetype firstChanged = -1;
    qsizetype lastChanged = -1;
    for (qsizetype j = 0; j < count;) {
        if (from.at(j) >= 0) {
            if (m_rows.at(j).state != rows[j].state) {
                m_rows[j].state = rows[j].state;
                firstChanged = firstChanged < 0 ? j : firstChanged;
                lastChanged = j;
            }
            ++j;
            continue;
        }
        qsizetype end = j + 1;
        while (end < count && from.at(end) < 0)
            ++end;
        beginInsertRows({}, int(j), int(end - 1));
        m_rows.insert(j, end - j, {});
        std::copy(rows.begin() + j, rows.begin() + end, m_rows.begin() + j);
        endInsertRows();
        j = end;
    }
    if (firstChanged >= 0)
        emit dataChanged(
            index(int(firstChanged), stateColumn), index(int(lastChanged), stateColumn));
}

void TcpTableModel::removeRowsNotIn(const QList<bool> &stays)
{
    // From the end, so that the rows still to go keep their numbers.
    for (qsizetype end = m_rows.size(); end > 0;) {
        if (stays.at(end - 1)) {
            --end;
            continue;
        }
        qsizetype first = end - 1;
        while (first > 0 && !stays.at(first - 1))
            --first;
        beginRemoveRows({}, int(first), int(end - 1));
        m_rows.remove(first, end - first);
        endRemoveRows();
        end = first;
    }
}

// Row order[t] goes to place t; the view follows its selected row there.
void TcpTableModel::reorder(const QList<qsizetype> &order)
{
    emit layoutAboutToBeChanged({}, VerticalSortHint);
    QList<qsizetype> to(order.size());
    QList<platform::TcpRow> moved;
    moved.reserve(order.size());
    for (qsizetype t = 0; t < order.size(); ++t) {
        to[order.at(t)] = t;
        moved.append(m_rows.at(order.at(t)));
    }
    m_rows = std::move(moved);
    const QModelIndexList persistent = persistentIndexList();
    QModelIndexList now;
    now.reserve(persistent.size());
    for (const QModelIndex &index : persistent)
        now.append(this->index(int(to.at(index.row())), index.column()));
    changePersistentIndexList(persistent, now);
    emit layoutChanged({}, VerticalSortHint);
}

int TcpTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant TcpTableModel::data(const QModelIndex &index, int role) const
{
    if ((role != Qt::DisplayRole && role != SortRole) || !index.isValid()
        || index.row() >= m_rows.size() || index.column() >= columnCount())
        return {};
    const platform::TcpRow &row = m_rows.at(index.row());
    if (index.column() == stateColumn)
        return StateName(row.state);
    const uint32_t fields[] = {row.localAddr, row.localPort, row.remoteAddr, row.remotePort};
    const uint32_t field = fields[index.column()];
    const bool sorting = role == SortRole;
    if (index.column() % 2) {
        const int port = PortNumber(field);
        return sorting ? QVariant(port) : QVariant(QString::number(port));
    }
    return sorting ? QVariant(platform::addressNumber(field)) : QVariant(FormatAddress(field));
}
