#pragma once

#include <QList>
#include <QRect>
#include <QString>

class QWidget;

// One row of a window's layout table. Places and sizes are in twips (15 to a pixel at
// 96 dots per inch); Qt's high-DPI scaling takes it from there. A line's rectangle runs
// from its first end point to its second.
struct ControlLayout {
    enum class Kind { Button, Label, TextBox, CheckBox, ListBox, DriveList, FolderList, FileList, Picture, PictureBox, Line };
    // Whether the control shows when its window opens. A working control is never shown:
    // it exists as a model only and has no widget.
    enum class Shown { Yes, No, Never };

    const char* name;
    Kind kind;
    int left;
    int top;
    int width;
    int height;
    QString text;
    Shown shown;
    int tabPlace; // -1: the kind takes no place in the tab order

    QRect pixelRect() const;
    bool isWindowControl() const;
    bool hasWidget() const { return shown != Shown::Never; }
};

// Builds nothing itself: each window creates its controls (named after the table) and
// hands them to apply(), which gives them their places, sizes, texts, visibility and tab
// order from the table.
//
// A table and its window's controls must agree: a row whose widget the window does not
// hold is a programming error, and it stops the program at once, naming the row, instead
// of leaving a control unplaced for a later call to trip over.
namespace LayoutTable {

constexpr int kTwipsPerPixel = 15;
int toPixels(int twips);

void apply(QWidget* window, const QList<ControlLayout>& table);
// The window's own control for a row that has a widget.
QWidget* control(const QWidget* window, const ControlLayout& row);
// Stops the program: the table and the window's controls do not agree about this name.
[[noreturn]] void mismatch(const char* what, const QString& name);

} // namespace LayoutTable
