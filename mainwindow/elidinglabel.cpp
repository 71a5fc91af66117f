#include "mainwindow/elidinglabel.h"

#include "mainwindow/middleelision.h"
#include "platform/windows1252.h"
#include "windowkit/accessibility.h"

#include <QHelpEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QToolTip>

#include <cmath>

ElidingLabel::ElidingLabel(QAccessible::Role role, QWidget* parent)
    : QLabel(parent)
    , m_role(role)
{
    Accessibility::install();
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFocusPolicy(Qt::NoFocus);
}

void ElidingLabel::setMessage(const QString& text, const QStringList& shortenable)
{
    takeText(text, shortenable);
    // The name change alone is not read out by every screen reader; an alert is.
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void ElidingLabel::setProgress(const QString& text) { takeText(text, {}); }

void ElidingLabel::takeText(const QString& text, const QStringList& shortenable)
{
    m_shortenable = shortenable;
    setText(text);
    fitHeight();
}

QString ElidingLabel::readableText() const { return Windows1252::displayText(text()); }

ElidingLabel::Layout ElidingLabel::layout() const
{
    QStringList shortenable;
    for (const QString& piece : m_shortenable)
        shortenable.append(Windows1252::displayText(piece));
    const QFontMetricsF metrics(font());
    const qreal width = contentsRect().width();
    const QString whole = readableText();
    const QString oneLine = MiddleElision::fit(whole, shortenable, [&](const QString& text) {
        return metrics.horizontalAdvance(text) <= width;
    });
    const int lines = m_mayWrap ? linesBelow() : 1;
    if (lines < 2 || metrics.horizontalAdvance(oneLine) <= width)
        return {oneLine, 1};
    const QString wrapped = MiddleElision::fit(whole, shortenable, [&](const QString& text) {
        const QRectF needed = metrics.boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap, text);
        return needed.width() <= width && needed.height() <= lines * metrics.lineSpacing();
    });
    return {wrapped, lines};
}

// How many lines fit between the label's top and the bottom of its window.
int ElidingLabel::linesBelow() const
{
    const int room = parentWidget() ? parentWidget()->height() - y() : height();
    return std::max(1, int(room / QFontMetricsF(font()).lineSpacing()));
}

void ElidingLabel::fitHeight()
{
    if (m_oneLineHeight < 0)
        m_oneLineHeight = height();
    const Layout shown = layout();
    const int wrappedHeight = int(std::ceil(shown.lines * QFontMetricsF(font()).lineSpacing()));
    resize(width(), shown.lines > 1 ? std::max(m_oneLineHeight, wrappedHeight) : m_oneLineHeight);
}

bool ElidingLabel::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QLabel::event(event);
    const QString whole = readableText();
    if (shownText() == whole) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    // Escaped, so that a name is never read as markup; pre-wrap keeps the doubled blank.
    // As wide as the text, but no wider than half the screen: a long message wraps.
    const QScreen* screen = this->screen();
    const int widest = screen ? screen->availableGeometry().width() / 2 : 640;
    const int width = std::min(fontMetrics().horizontalAdvance(whole) + 8, widest);
    const QString tip = QStringLiteral("<table width=\"%1\"><tr><td style=\"white-space:pre-wrap\">%2</td></tr></table>")
                            .arg(width)
                            .arg(whole.toHtmlEscaped());
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, this);
    return true;
}

void ElidingLabel::paintEvent(QPaintEvent*)
{
    const Layout shown = layout();
    const int wrap = shown.lines > 1 ? int(Qt::TextWordWrap) : 0;
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(alignment()) | wrap, palette(), isEnabled(), shown.text,
                          foregroundRole());
}
