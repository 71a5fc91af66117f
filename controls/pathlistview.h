#pragma once

#include <QListView>

class PathItemDelegate;

// A list of paths or names, one per row, all rows of one size. A row that the list cannot
// show whole shows its model's tool tip (the whole path) as plain text, and the rows are
// as wide as the widest of the candidates given, so the scroll bar reaches its end.
class PathListView : public QListView {
    Q_OBJECT

public:
    PathListView(PathItemDelegate* delegate, QWidget* parent);

    // The rows that may be the widest (see LongestRows); the others are not measured.
    void setWidestCandidates(QList<int> rows);
    // Whether the row is drawn whole, not cut by the list's edges.
    bool showsWhole(const QModelIndex& index) const;

signals:
    // A context menu was asked for, by the pointer or the keyboard (the Menu key,
    // Shift+F10): it opens at globalPos.
    void menuRequested(const QPoint& globalPos);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    PathItemDelegate* m_delegate;
};
