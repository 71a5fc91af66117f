#include "windowkit/crispframe.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

// The square between two shown scroll bars, which the frame's own painting would fill.
QRect scrollBarCorner(const QAbstractScrollArea* area)
{
    const QWidget* vertical = area->verticalScrollBar()->parentWidget();
    const QWidget* horizontal = area->horizontalScrollBar()->parentWidget();
    if (!vertical->isVisible() || !horizontal->isVisible())
        return QRect();
    return QRect(vertical->x(), horizontal->y(), vertical->width(), horizontal->height());
}

} // namespace

void CrispFrame::applyTo(QAbstractScrollArea* area)
{
    // A box one pixel wide keeps the contents and the scroll bars inside the border; the
    // filter draws it instead of the frame.
    area->setFrameStyle(QFrame::Box | QFrame::Plain);
    area->setLineWidth(1);
    area->installEventFilter(new CrispFrame(area));
}

bool CrispFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Paint)
        return false;
    auto* area = static_cast<QAbstractScrollArea*>(watched);
    const QRect r = area->rect();
    const QColor colour = area->palette().color(QPalette::Mid);
    QPainter painter(area);
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), colour);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), colour);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), colour);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), colour);
    painter.fillRect(scrollBarCorner(area), area->palette().color(QPalette::Window));
    return true;
}
