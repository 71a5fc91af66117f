#include "mainwindow/inputhold.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {

bool isMouseButton(QEvent::Type type)
{
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease
        || type == QEvent::MouseButtonDblClick;
}

// Every way a person can act on a control; pointer movement is left alone, it changes
// nothing but the info button's picture.
bool isInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
    case QEvent::Gesture:
        return true;
    default:
        return false;
    }
}

} // namespace

InputHold::InputHold(QWidget* window, QWidget* exitPicture, std::function<void()> onEscape)
    : m_window(window)
    , m_exitPicture(exitPicture)
    , m_onEscape(std::move(onEscape))
{
    // Events reach a control's own filters before its window's, so only the
    // application's filter sees them all first.
    qApp->installEventFilter(this);
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

InputHold::~InputHold()
{
    QApplication::restoreOverrideCursor();
    qApp->removeEventFilter(this);
}

bool InputHold::isOwnControl(QObject* object) const
{
    auto* widget = qobject_cast<QWidget*>(object);
    return widget && widget->window() == m_window;
}

bool InputHold::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (!isInput(type) || !isOwnControl(watched))
        return false;
    if (watched == m_exitPicture && isMouseButton(type))
        return false;
    if (type == QEvent::ShortcutOverride) {
        // Claimed for the control, so no shortcut fires; the key press that follows is held.
        event->accept();
    } else if (type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        m_onEscape();
    }
    return true;
}
