#include "windowkit/focusring.h"

#include <QEvent>
#include <QPainter>

FocusRing::FocusRing(QWidget* control)
    : QWidget(control)
    , m_control(control)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    control->installEventFilter(this);
}

FocusRing* FocusRing::attachTo(QWidget* control) { return new FocusRing(control); }

bool FocusRing::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_control) {
        switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::Resize:
        case QEvent::ChildAdded:
            follow();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// The control's own children (a list's contents, its scroll bars) would cover a ring
// drawn by the control itself: the ring is a child of its own, kept in front of them.
void FocusRing::follow()
{
    setGeometry(m_control->rect());
    setVisible(m_control->hasFocus());
    raise();
}

void FocusRing::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect r = rect();
    painter.setPen(Qt::NoPen);
    const auto frame = [&](const QRect& box, int width, const QColor& colour) {
        painter.fillRect(QRect(box.left(), box.top(), box.width(), width), colour);
        painter.fillRect(QRect(box.left(), box.bottom() - width + 1, box.width(), width), colour);
        painter.fillRect(QRect(box.left(), box.top(), width, box.height()), colour);
        painter.fillRect(QRect(box.right() - width + 1, box.top(), width, box.height()), colour);
    };
    frame(r, kOuterWidth, outerColour());
    frame(r.adjusted(kOuterWidth, kOuterWidth, -kOuterWidth, -kOuterWidth), 1, innerColour());
}
