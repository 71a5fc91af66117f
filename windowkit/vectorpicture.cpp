#include "windowkit/vectorpicture.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <cmath>

VectorPicture::VectorPicture(const QString& source, QWidget* parent)
    : QWidget(parent)
    , m_renderer(new QSvgRenderer(source, this))
{
}

QSize VectorPicture::pictureSize() const { return m_renderer->defaultSize(); }

QPixmap VectorPicture::render(const QString& source, qreal devicePixelRatio)
{
    QSvgRenderer renderer(source);
    const QSize size = renderer.defaultSize();
    QPixmap pixmap(int(std::ceil(size.width() * devicePixelRatio)), int(std::ceil(size.height() * devicePixelRatio)));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), size));
    return pixmap;
}

void VectorPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_renderer->render(&painter, QRectF(QPointF(0, 0), pictureSize()));
}

QCursor handPointer(QPoint hotSpot, qreal devicePixelRatio)
{
    // Qt's X11 platform reads the hot spot in the picture's own pixels, not in the window's.
    const qreal hotSpotScale = QGuiApplication::platformName() == QLatin1String("xcb") ? devicePixelRatio : 1.0;
    return QCursor(VectorPicture::render(QStringLiteral(":/hand.svg"), devicePixelRatio),
                   qRound(hotSpot.x() * hotSpotScale), qRound(hotSpot.y() * hotSpotScale));
}
