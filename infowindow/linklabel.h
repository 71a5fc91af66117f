#pragma once

#include "windowkit/accessibility.h"

#include <QLabel>

// A label that opens something when clicked (press and release on it), and that assistive
// technology sees as a link it may follow.
class LinkLabel : public QLabel, public AccessiblePress {
    Q_OBJECT

public:
    explicit LinkLabel(QWidget* parent);

    QAccessible::Role accessibleRole() const override { return QAccessible::Link; }
    void pressedByAssistiveTechnology() override { emit clicked(); }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
