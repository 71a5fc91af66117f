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

    const char* name;
    Kind kind;
    int left;
    int top;
    int width;
    int height;
    QString text;
    bool shown;
    int tabPlace; // -1: the kind takes no place in the tab order

    QRect pixelRect() const;
    bool isWindowControl() const;
};

// Builds nothing itself: each window creates its controls (named after the table) and
// hands them to apply(), which gives them their places, sizes, texts, visibility and tab
// order from the table.
namespace LayoutTable {

constexpr int kTwipsPerPixel = 15;
int toPixels(int twips);

void apply(QWidget* window, const QList<ControlLayout>& table);
const ControlLayout* find(const QList<ControlLayout>& table, QStringView name);

} // namespace LayoutTable
