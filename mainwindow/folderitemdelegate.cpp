#include "mainwindow/folderitemdelegate.h"

#include "listing/folderlist.h"

#include <QApplication>
#include <QStyle>

void FolderItemDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const auto kind = FolderList::RowKind(index.data(FolderList::RowKindRole).toInt());
    const QStyle* style = option->widget ? option->widget->style() : QApplication::style();
    option->icon = style->standardIcon(kind == FolderList::RowKind::Subfolder ? QStyle::SP_DirClosedIcon
                                                                              : QStyle::SP_DirOpenIcon);
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->decorationSize = QSize(16, 16);
}

void FolderItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem indented = option;
    indented.rect.setLeft(option.rect.left() + kIndent * index.data(FolderList::DepthRole).toInt());
    QStyledItemDelegate::paint(painter, indented, index);
}

QSize FolderItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.rwidth() += kIndent * index.data(FolderList::DepthRole).toInt();
    return size;
}
