#include "controls/picturebutton.h"

#include <QMouseEvent>

PictureButton::PictureButton(const QString& picture, QWidget* parent)
    : VectorPicture(picture, parent)
{
    Accessibility::install();
}

void PictureButton::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved();
    event->accept();
}

void PictureButton::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    event->accept();
}
