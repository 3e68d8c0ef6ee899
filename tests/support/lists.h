#pragma once

// The lists of the windows as an operator meets them: the rows shown, the
// selected one, a click and a double click on a row.

#include <QAbstractItemView>
#include <QStringList>
#include <QTest>

inline QStringList shownRows(const QAbstractItemView *list)
{
    QStringList rows;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        rows.append(list->model()->index(row, 0).data().toString());
    return rows;
}

// The text of the selected row, "" when none is selected.
inline QString selectedRow(const QAbstractItemView *list)
{
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    return selected.isEmpty() ? QString() : selected.first().data().toString();
}

// Clicks the first row showing `text`; with no such row, clears the
// selection.
inline void clickRow(QAbstractItemView *list, const QString &text)
{
    const int row = int(shownRows(list).indexOf(text));
    if (row < 0)
        return list->clearSelection();
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
}

inline void doubleClickRow(QAbstractItemView *list, const QString &text)
{
    clickRow(list, text);
    QTest::mouseDClick(
        list->viewport(), Qt::LeftButton, {}, list->visualRect(list->currentIndex()).center());
}
