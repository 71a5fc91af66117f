#pragma once

#include <QWidget>

class QCursor;
class QSvgRenderer;

// A picture drawn from its vector source at the picture's own size, from the control's
// top-left corner and clipped at its edges. Drawn afresh for every device, it stays sharp
// at any scale; where it is transparent the window shows through.
class VectorPicture : public QWidget {
    Q_OBJECT

public:
    VectorPicture(const QString& source, QWidget* parent);

    QSize pictureSize() const;

    // The picture as a bitmap for a device of the given pixel ratio, for the places that
    // take only bitmaps (a pointer).
    static QPixmap render(const QString& source, qreal devicePixelRatio);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSvgRenderer* m_renderer;
};

// The pointing hand over the controls that act, drawn for a device of the given pixel ratio.
QCursor handPointer(QPoint hotSpot, qreal devicePixelRatio);
