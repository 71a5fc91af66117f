#include "controls/elidinglabel.h"

#include "controls/middleelision.h"
#include "text/windows1252.h"
#include "windowkit/accessibility.h"
#include "windowkit/plaintooltip.h"

#include <QHelpEvent>
#include <QPainter>
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
    const bool repeated = text == this->text();
    takeText(text, shortenable);
    // The label raises a name change only when its text differs, but a message that repeats
    // the last one is news as well (a second run that ends alike): screen readers on Linux
    // hear the name change, others the alert.
    if (repeated) {
        QAccessibleEvent nameChange(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&nameChange);
    }
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void ElidingLabel::setProgress(const QString& text, const QStringList& shortenable) { takeText(text, shortenable); }

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
    PlainToolTip::show(static_cast<QHelpEvent*>(event)->globalPos(), whole, this);
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
