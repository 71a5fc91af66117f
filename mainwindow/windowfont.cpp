#include "mainwindow/windowfont.h"

namespace {

const QString& family()
{
    static const QString name = [] {
        const QString wanted = QStringLiteral("MS Sans Serif");
        QFont::insertSubstitutions(wanted, QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                            QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});
        return wanted;
    }();
    return name;
}

} // namespace

namespace WindowFont {

QFont make(qreal pointSize, bool bold)
{
    QFont font(family());
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace WindowFont
