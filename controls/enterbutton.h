#pragma once

#include <QPushButton>

// A button that Return and Enter press while it has the focus, as Space does: the keys
// a focused button took on the old platform. Only this window's buttons do this.
class EnterButton : public QPushButton {
    Q_OBJECT

public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
