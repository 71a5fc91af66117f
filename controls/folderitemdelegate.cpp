#include "controls/folderitemdelegate.h"

#include "listing/folderlist.h"

#include <QPainter>

namespace {

// Light enough that the text on it reads as on the list's own background.
constexpr int kOpenFolderTintAlpha = 56;

bool isOpenFolder(const QModelIndex& index)
{
    return FolderList::RowKind(index.data(FolderList::RowKindRole).toInt()) == FolderList::RowKind::Current;
}

} // namespace

FolderItemDelegate::FolderItemDelegate(QObject* parent)
    : PathItemDelegate(parent)
    , m_openFolder(QStringLiteral(":/folder_open.svg"))
    , m_closedFolder(QStringLiteral(":/folder_closed.svg"))
{
}

void FolderItemDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const auto kind = FolderList::RowKind(index.data(FolderList::RowKindRole).toInt());
    option->icon = kind == FolderList::RowKind::Subfolder ? m_closedFolder : m_openFolder;
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->decorationSize = QSize(16, 16);
    if (isOpenFolder(index))
        option->font.setBold(true);
}

void FolderItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem indented = option;
    indented.rect.setLeft(option.rect.left() + kIndent * index.data(FolderList::DepthRole).toInt());
    if (isOpenFolder(index) && !(option.state & QStyle::State_Selected)) {
        QColor tint = option.palette.color(QPalette::Highlight);
        tint.setAlpha(kOpenFolderTintAlpha);
        painter->fillRect(indented.rect, tint);
    }
    QStyledItemDelegate::paint(painter, indented, index);
}

QSize FolderItemDelegate::naturalSize(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = PathItemDelegate::naturalSize(option, index);
    size.rwidth() += kIndent * index.data(FolderList::DepthRole).toInt();
    return size;
}
