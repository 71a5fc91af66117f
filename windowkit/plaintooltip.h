#pragma once

#include <QStringList>

class QFontMetrics;
class QPoint;
class QWidget;

// A tool tip that shows a text exactly as it stands: a name from the file system is never
// read as markup, and its doubled blanks stay.
namespace PlainToolTip {

// As wide as the text, but no wider than half the screen: a longer text is broken into
// lines, a path after one of its folders.
void show(const QPoint& globalPos, const QString& text, QWidget* widget);
// The lines show() breaks text into: none wider than width where a character fits.
QStringList wrap(const QString& text, const QFontMetrics& metrics, int width);

} // namespace PlainToolTip
