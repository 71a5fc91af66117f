#include "controls/pathlistview.h"

#include "controls/pathitemdelegate.h"
#include "windowkit/crispframe.h"
#include "windowkit/focusring.h"
#include "windowkit/plaintooltip.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QToolTip>

PathListView::PathListView(PathItemDelegate* delegate, QWidget* parent)
    : QListView(parent)
    , m_delegate(delegate)
{
    m_delegate->setParent(this);
    setItemDelegate(m_delegate);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    CrispFrame::applyTo(this);
    FocusRing::attachTo(this);
}

void PathListView::setWidestCandidates(QList<int> rows)
{
    m_delegate->setWidestCandidates(std::move(rows));
    // The size of one row is kept until the next layout.
    scheduleDelayedItemsLayout();
}

bool PathListView::showsWhole(const QModelIndex& index) const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QRect row = visualRect(index);
    const int needed = m_delegate->naturalSize(option, index).width();
    return row.left() >= 0 && row.left() + needed <= viewport()->width();
}

bool PathListView::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QListView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    if (!index.isValid() || showsWhole(index)) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    PlainToolTip::show(help->globalPos(), index.data(Qt::ToolTipRole).toString(), viewport());
    return true;
}

// From the keyboard the menu opens at the current row, where the user's eyes are.
void PathListView::contextMenuEvent(QContextMenuEvent* event)
{
    if (event->reason() != QContextMenuEvent::Keyboard) {
        emit menuRequested(event->globalPos());
        return;
    }
    const QRect current = visualRect(currentIndex()).intersected(viewport()->rect());
    const QPoint at = current.isValid() ? QPoint(current.left() + 8, current.bottom()) : QPoint(8, 8);
    emit menuRequested(viewport()->mapToGlobal(at));
}

// Shift+F10 asks for the context menu, as the Menu key does.
void PathListView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        contextMenuEvent(&menu);
        return;
    }
    QListView::keyPressEvent(event);
}
