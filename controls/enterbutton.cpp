#include "controls/enterbutton.h"

#include <QKeyEvent>

void EnterButton::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // Shown pressed for a moment, then clicked, as a press by the pointer looks.
        if (!event->isAutoRepeat())
            animateClick();
        return;
    }
    QPushButton::keyPressEvent(event);
}
