#pragma once

#include "looks/folderlooks.h"

#include <QComboBox>

class DriveList;
class FolderList;

// Shows a drive list as a drop-down of the drive table's drives. A pick moves the folder
// list coupled to the drive list to that drive (see FolderLooks); the drive list follows
// that folder list's change, as the window's handlers couple them. Until the drive's folder
// answers the drop-down shows the drive in force; a drive that is not ready is refused
// with a message, and no change handler runs.
class DriveCombo : public QComboBox {
    Q_OBJECT

public:
    DriveCombo(DriveList& drives, FolderList& folders, FolderLooks& looks, QWidget* parent);

private:
    void pick(int row);
    void takeAnswer(FolderLooks::Ticket ticket, FolderList* list, FolderLooks::Outcome outcome);
    void showSelectedDrive();

    DriveList& m_drives;
    FolderList& m_folders;
    FolderLooks& m_looks;
    FolderLooks::Ticket m_pick = 0;
    QChar m_pickedLetter;
};
