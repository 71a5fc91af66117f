#include "controls/pathitemdelegate.h"

PathItemDelegate::PathItemDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

QSize PathItemDelegate::naturalSize(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return QStyledItemDelegate::sizeHint(option, index);
}

QSize PathItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = naturalSize(option, index);
    const QAbstractItemModel* model = index.model();
    for (const int row : m_candidates) {
        if (model && row < model->rowCount(index.parent()))
            size = size.expandedTo(naturalSize(option, model->index(row, index.column(), index.parent())));
    }
    return size;
}
