#include "windowkit/plaintooltip.h"

#include <QFontMetrics>
#include <QScreen>
#include <QStringList>
#include <QToolTip>
#include <QWidget>

namespace PlainToolTip {

QStringList wrap(const QString& text, const QFontMetrics& metrics, int width)
{
    QStringList lines;
    QStringView rest(text);
    while (!rest.isEmpty()) {
        qsizetype fits = 1;
        while (fits < rest.size() && metrics.horizontalAdvance(rest.first(fits + 1).toString()) <= width)
            ++fits;
        if (fits < rest.size()) {
            // A path breaks best after a folder, a message after a word.
            const qsizetype folder = rest.first(fits).lastIndexOf(u'\\');
            const qsizetype word = rest.first(fits).lastIndexOf(u' ');
            const qsizetype after = std::max(folder, word) + 1;
            if (after > fits / 2)
                fits = after;
        }
        lines.append(rest.first(fits).toString());
        rest = rest.sliced(fits);
    }
    return lines;
}

void show(const QPoint& globalPos, const QString& text, QWidget* widget)
{
    const QScreen* screen = widget->screen();
    const int widest = screen ? screen->availableGeometry().width() / 2 : 640;
    // Qt guesses whether a tool tip is markup; escaped lines in a preformatted paragraph
    // settle it, and a path, which has no blanks to wrap at, is broken after a folder.
    QStringList lines = wrap(text, widget->fontMetrics(), widest);
    for (QString& line : lines)
        line = line.toHtmlEscaped();
    QToolTip::showText(globalPos, QStringLiteral("<p style=\"white-space:pre\">%1</p>").arg(lines.join(u"<br>")), widget);
}

} // namespace PlainToolTip
