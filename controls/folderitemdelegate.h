#pragma once

#include "controls/pathitemdelegate.h"

#include <QIcon>

// Draws a folder list's rows as a tree: the folder and its ancestors with open folders,
// each one step further in, and the subfolders with closed folders below them. A single
// click only highlights a row, so the open folder keeps a mark of its own: its name in
// bold on a tint of the highlight colour, which shows on a light or a dark scheme alike.
class FolderItemDelegate : public PathItemDelegate {
    Q_OBJECT

public:
    explicit FolderItemDelegate(QObject* parent);

    static constexpr int kIndent = 8;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize naturalSize(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    // Drawn from vector sources, so they are sharp at any scale.
    QIcon m_openFolder;
    QIcon m_closedFolder;
};
