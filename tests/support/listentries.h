#pragma once

#include <QAbstractItemModel>
#include <QStringList>

// What a list control holds, through the operations the program uses (ListCount, List).
template <typename ListControl>
QStringList entriesOf(ListControl& list)
{
    QStringList entries;
    for (qsizetype i = 0; i < list.ListCount(); ++i)
        entries.append(list.List(i));
    return entries;
}

// What a view of the same model shows, row by row.
inline QStringList rowsOf(const QAbstractItemModel& model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows.append(model.index(row, 0).data().toString());
    return rows;
}
