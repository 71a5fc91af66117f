#pragma once

#include <QLabel>

// A picture that answers the pointer: a click (press and release on it) and every
// movement over it.
class PictureButton : public QLabel {
    Q_OBJECT

public:
    PictureButton(const QString& picture, QWidget* parent);

signals:
    void clicked();
    void mouseMoved();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
