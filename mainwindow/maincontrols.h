#pragma once

#include "windowkit/controllayout.h"

#include <QList>

class DriveCombo;
class DriveList;
class ElidingLabel;
class FileList;
class FolderList;
class FolderLooks;
class FolderView;
class GenerateRun;
class ListBox;
class PathListView;
class PictureButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The lists behind the main window's controls, named as the window names the controls. The
// working controls Dir1, File1 and List1 are never shown and exist as models only; they,
// and the result list List2, are those of the last run (see GenerateRun). The window owns
// the drive and folder lists, and they outlive the widgets that show them.
struct MainModels {
    DriveList* Drive1 = nullptr;
    DriveList* Drive2 = nullptr;
    FolderList* Dir2 = nullptr;
    FolderList* Dir3 = nullptr;
    ListBox* List2 = nullptr;
    FolderList* Dir1 = nullptr;
    FileList* File1 = nullptr;
    ListBox* List1 = nullptr;
};

// The main window's controls as a person sees them, each named as the window names it;
// those that show a list show the list of the same name in `models`.
struct MainControls {
    MainModels models;

    QPushButton* Command1 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QCheckBox* Check1 = nullptr;
    QLineEdit* txt_filter = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* Label1 = nullptr;
    ElidingLabel* Label2 = nullptr;
    ElidingLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    DriveCombo* Drive1 = nullptr;
    DriveCombo* Drive2 = nullptr;
    FolderView* Dir2 = nullptr;
    FolderView* Dir3 = nullptr;
    PathListView* List2 = nullptr;
    PictureButton* Image1 = nullptr;
    PictureButton* Image3 = nullptr;
    PictureButton* Image2 = nullptr;
    QWidget* Line1 = nullptr;
    QWidget* Line2 = nullptr;
    QWidget* Line3 = nullptr;
    QWidget* Line4 = nullptr;

    // Creates a widget for every row of the table that has one, as a child of window, in
    // the table's order (back to front), and lays them out from the table. The table must
    // name every control this window has, and no other: a control without its row, or a
    // row without its control, stops the program. The pickers move their folder lists
    // through looks.
    static MainControls build(QWidget* window, GenerateRun& hidden, FolderLooks& looks,
                              const QList<ControlLayout>& table);

    // Points the hidden lists and the result list's view at a run's controls. The view
    // takes the result list whole, however long it is, and measures only the rows given
    // as the widest candidates.
    void showRun(GenerateRun& run, const QList<int>& widestCandidates);

    // The eight members of the target-location panel, in the order they are shown.
    QList<QWidget*> panelLines() const;
};
