#pragma once

#include <QString>

class QPoint;
class QWidget;

// A tool tip that shows a text exactly as it stands: a name from the file system is never
// read as markup, and its doubled blanks stay.
namespace PlainToolTip {

// As wide as the text, but no wider than half the screen: a longer text wraps.
void show(const QPoint& globalPos, const QString& text, QWidget* widget);

} // namespace PlainToolTip
