#include "controls/drivecombo.h"

#include "controls/notreadymessage.h"
#include "listing/drivelist.h"
#include "windowkit/focusring.h"

DriveCombo::DriveCombo(DriveList& drives, FolderList& folders, FolderLooks& looks, QWidget* parent)
    : QComboBox(parent)
    , m_drives(drives)
    , m_folders(folders)
    , m_looks(looks)
{
    setModel(&drives);
    FocusRing::attachTo(this);
    showSelectedDrive();
    connect(&drives, &DriveList::Change, this, &DriveCombo::showSelectedDrive);
    connect(&drives, &DriveList::modelReset, this, &DriveCombo::showSelectedDrive);
    connect(this, &QComboBox::activated, this, &DriveCombo::pick);
    connect(&looks, &FolderLooks::answered, this,
            [this](FolderLooks::Ticket ticket, FolderList* list, FolderLooks::Outcome outcome) {
                takeAnswer(ticket, list, outcome);
            });
}

void DriveCombo::pick(int row)
{
    m_pickedLetter = itemData(row, DriveList::LetterRole).toChar();
    showSelectedDrive();
    m_pick = m_looks.pickDrive(m_folders, m_pickedLetter);
}

void DriveCombo::takeAnswer(FolderLooks::Ticket ticket, FolderList* list, FolderLooks::Outcome outcome)
{
    if (ticket != m_pick || list != &m_folders)
        return;
    m_pick = 0;
    if (outcome != FolderLooks::Outcome::Read)
        NotReadyMessage::show(this, NotReadyMessage::driveText(m_pickedLetter));
}

void DriveCombo::showSelectedDrive()
{
    setCurrentIndex(m_drives.rowOf(m_drives.letter()));
}
