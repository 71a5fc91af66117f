#include "windowkit/controllayout.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

// False when the control shows no text of this kind.
bool applyText(QWidget* control, const QString& text)
{
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(control); label && label->pixmap().isNull())
        label->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        plain->setPlainText(text);
    else
        return false;
    return true;
}

void applyTabOrder(QWidget* window, const QList<ControlLayout>& table)
{
    QList<const ControlLayout*> ordered;
    for (const ControlLayout& row : table) {
        if (row.tabPlace >= 0)
            ordered.append(&row);
    }
    std::sort(ordered.begin(), ordered.end(),
              [](const ControlLayout* a, const ControlLayout* b) { return a->tabPlace < b->tabPlace; });
    QWidget* previous = nullptr;
    for (const ControlLayout* row : ordered) {
        QWidget* control = row->hasWidget() ? LayoutTable::control(window, *row) : nullptr;
        if (!control || control->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

} // namespace

QRect ControlLayout::pixelRect() const
{
    if (kind == Kind::Line) {
        // A line is one pixel thick and includes both end points.
        const int x1 = LayoutTable::toPixels(std::min(left, width));
        const int x2 = LayoutTable::toPixels(std::max(left, width));
        const int y1 = LayoutTable::toPixels(std::min(top, height));
        const int y2 = LayoutTable::toPixels(std::max(top, height));
        return QRect(QPoint(x1, y1), QPoint(x2, y2));
    }
    return QRect(LayoutTable::toPixels(left), LayoutTable::toPixels(top),
                 LayoutTable::toPixels(width), LayoutTable::toPixels(height));
}

bool ControlLayout::isWindowControl() const
{
    switch (kind) {
    case Kind::Label:
    case Kind::Picture:
    case Kind::Line:
        return false;
    default:
        return true;
    }
}

namespace LayoutTable {

int toPixels(int twips) { return int(std::lround(double(twips) / kTwipsPerPixel)); }

QWidget* control(const QWidget* window, const ControlLayout& row)
{
    auto* found = window->findChild<QWidget*>(QString::fromLatin1(row.name), Qt::FindDirectChildrenOnly);
    if (!found)
        mismatch("no control of the window bears the name of the row", QString::fromLatin1(row.name));
    return found;
}

void mismatch(const char* what, const QString& name)
{
    qFatal("Layout table and controls disagree: %s \"%s\"", what, qUtf8Printable(name));
}

void apply(QWidget* window, const QList<ControlLayout>& table)
{
    for (const ControlLayout& row : table) {
        if (!row.hasWidget())
            continue;
        QWidget* widget = control(window, row);
        widget->setGeometry(row.pixelRect());
        if (!applyText(widget, row.text) && !row.text.isEmpty())
            mismatch("the control of the row cannot show its text", QString::fromLatin1(row.name));
        widget->setVisible(row.shown == ControlLayout::Shown::Yes);
    }
    applyTabOrder(window, table);
}

} // namespace LayoutTable
