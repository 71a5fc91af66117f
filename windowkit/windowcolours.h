#pragma once

#include <QColor>

class QWidget;

// Both windows draw the old platform's colours whatever the desktop's colour scheme: a white
// window with black text on it, and the colours the layout gives. Controls that keep the
// desktop style's look (buttons, text boxes, lists) take both their background and their text
// from the scheme, so each of them stays readable on its own.
namespace WindowColours {

inline QColor window() { return Qt::white; }
inline QColor text() { return Qt::black; }

void setText(QWidget* control, const QColor& colour);
// Fills the control's area with colour before it draws.
void setBackground(QWidget* control, const QColor& colour);

} // namespace WindowColours
