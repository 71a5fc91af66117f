#pragma once

#include <QList>
#include <QStyledItemDelegate>

// Draws the rows of a list of paths and names. A view with rows of one size asks for the
// size of one row only; this delegate answers with the widest of a few candidate rows
// (see LongestRows), so every row is drawn whole and the scroll bar reaches its end.
class PathItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit PathItemDelegate(QObject* parent);

    void setWidestCandidates(QList<int> rows) { m_candidates = std::move(rows); }
    // The room the row's own content takes.
    virtual QSize naturalSize(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QList<int> m_candidates;
};
