#pragma once

#include "windowkit/accessibility.h"
#include "windowkit/vectorpicture.h"

// A picture that answers the pointer: a click (press and release on it) and every
// movement over it. Assistive technology sees a button and may press it.
class PictureButton : public VectorPicture, public AccessiblePress {
    Q_OBJECT

public:
    PictureButton(const QString& picture, QWidget* parent);

    QAccessible::Role accessibleRole() const override { return QAccessible::Button; }
    void pressedByAssistiveTechnology() override { emit pressRequested(); }

signals:
    void clicked();
    void mouseMoved();
    // A press through the accessibility layer: what it does is up to the window, which
    // may differ from a click (the rest picture of the info button takes no click).
    void pressRequested();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
