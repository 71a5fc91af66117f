#include "windowkit/windowfont.h"

#include <QStringList>

namespace {

const QString& family()
{
    static const QString name = [] {
        const QString wanted = QStringLiteral("MS Sans Serif");
        const QStringList standIns = QStringLiteral("Liberation Sans,Arimo,Nimbus Sans,DejaVu Sans").split(u',');
        QFont::insertSubstitutions(wanted, standIns);
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
