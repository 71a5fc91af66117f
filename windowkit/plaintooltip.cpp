#include "windowkit/plaintooltip.h"

#include <QScreen>
#include <QToolTip>
#include <QWidget>

namespace PlainToolTip {

void show(const QPoint& globalPos, const QString& text, QWidget* widget)
{
    // Qt guesses whether a tool tip is markup; an escaped table settles it.
    const QScreen* screen = widget->screen();
    const int widest = screen ? screen->availableGeometry().width() / 2 : 640;
    const int width = std::min(widget->fontMetrics().horizontalAdvance(text) + 8, widest);
    const QString tip = QStringLiteral("<table width=\"%1\"><tr><td style=\"white-space:pre-wrap\">%2</td></tr></table>")
                            .arg(width)
                            .arg(text.toHtmlEscaped());
    QToolTip::showText(globalPos, tip, widget);
}

} // namespace PlainToolTip
