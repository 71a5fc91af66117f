// Draws the program's icon at one size for the icon theme, at build time, from the same
// picture the window's icon comes from: iconrender SOURCE SIZE OUTPUT.png

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    bool sizeRead = false;
    const int size = arguments.size() == 4 ? arguments[2].toInt(&sizeRead) : 0;
    if (!sizeRead || size <= 0) {
        std::fputs("usage: iconrender SOURCE SIZE OUTPUT.png\n", stderr);
        return 2;
    }
    QImageReader reader(arguments[1]);
    // A vector picture is drawn at the size itself; a raster one is scaled smoothly.
    QSize scaled = reader.size();
    scaled.scale(size, size, Qt::KeepAspectRatio);
    reader.setScaledSize(scaled);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        std::fprintf(stderr, "iconrender: %s\n", qPrintable(reader.errorString()));
        return 1;
    }
    // Icon themes expect square icons: a picture of another shape sits in the middle.
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.drawImage((size - picture.width()) / 2, (size - picture.height()) / 2, picture);
    painter.end();
    QDir().mkpath(QFileInfo(arguments[3]).path());
    return icon.save(arguments[3], "PNG") ? 0 : 1;
}
