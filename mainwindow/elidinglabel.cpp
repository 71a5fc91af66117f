#include "mainwindow/elidinglabel.h"

#include "mainwindow/accessibility.h"
#include "mainwindow/middleelision.h"
#include "platform/windows1252.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

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
    m_shortenable = shortenable;
    setText(text);
    // The name change alone is not read out by every screen reader; an alert is.
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

QString ElidingLabel::readableText() const { return Windows1252::displayText(text()); }

QString ElidingLabel::shownText() const
{
    QStringList shortenable;
    for (const QString& piece : m_shortenable)
        shortenable.append(Windows1252::displayText(piece));
    const QFontMetricsF metrics(font());
    return MiddleElision::fit(readableText(), shortenable, contentsRect().width(),
                              [&metrics](const QString& text) { return metrics.horizontalAdvance(text); });
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
    const QString tip = QStringLiteral("<p style=\"white-space:pre-wrap\">") + whole.toHtmlEscaped()
        + QStringLiteral("</p>");
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, this);
    return true;
}

void ElidingLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(alignment()), palette(), isEnabled(), shownText(),
                          foregroundRole());
}
