#pragma once

#include <QList>

class DriveCombo;
class DriveList;
class ElidingLabel;
class FileList;
class FolderList;
class FolderView;
class GenerateRun;
class ListBox;
class PictureButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QWidget;

// The main window's controls. Those a person sees are widgets named as the window names
// them; the lists behind them are models (drive1, dir2, list2, ...). The working controls
// Dir1, File1 and List1 are never shown and exist as models only; they, and the result
// list list2, are those of the last run (see GenerateRun).
struct MainControls {
    DriveList* drive1 = nullptr;
    DriveList* drive2 = nullptr;
    FolderList* dir2 = nullptr;
    FolderList* dir3 = nullptr;
    ListBox* list2 = nullptr;
    FolderList* Dir1 = nullptr;
    FileList* File1 = nullptr;
    ListBox* List1 = nullptr;

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
    QListView* List2 = nullptr;
    PictureButton* Image1 = nullptr;
    PictureButton* Image2 = nullptr;
    PictureButton* Image3 = nullptr;
    QWidget* Line1 = nullptr;
    QWidget* Line2 = nullptr;
    QWidget* Line3 = nullptr;
    QWidget* Line4 = nullptr;

    // Creates every control as a child of window, in the layout table's order (back to
    // front), and lays them out from the table; the hidden lists are hidden's.
    static MainControls build(QWidget* window, GenerateRun& hidden);

    // Points the hidden lists and the result list's view at a run's controls. The view
    // takes the result list whole, however long it is.
    void showRun(GenerateRun& run);

    // The eight members of the target-location panel, in the order they are shown.
    QList<QWidget*> panelLines() const;
};
