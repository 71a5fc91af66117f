#include "controls/drivecombo.h"

#include "drives/drivetable.h"
#include "listing/drivelist.h"
#include "windowkit/focusring.h"

#include <QMessageBox>

DriveCombo::DriveCombo(DriveList& drives, QWidget* parent)
    : QComboBox(parent)
    , m_drives(drives)
{
    setModel(&drives);
    FocusRing::attachTo(this);
    showSelectedDrive();
    connect(&drives, &DriveList::Change, this, &DriveCombo::showSelectedDrive);
    connect(&drives, &DriveList::modelReset, this, &DriveCombo::showSelectedDrive);
    connect(this, &QComboBox::activated, this, &DriveCombo::pick);
}

QString DriveCombo::notReadyText(QChar letter)
{
    return QStringLiteral("Laufwerk %1: ist nicht bereit.").arg(letter.toLower());
}

void DriveCombo::pick(int row)
{
    const QChar letter = itemData(row, DriveList::LetterRole).toChar();
    if (!DriveTable::active().isReady(letter)) {
        showSelectedDrive();
        announceNotReady(letter);
        return;
    }
    m_drives.setDrive(QString(letter));
    showSelectedDrive();
}

void DriveCombo::showSelectedDrive()
{
    setCurrentIndex(m_drives.rowOf(m_drives.letter()));
}

void DriveCombo::announceNotReady(QChar letter)
{
    // Window-modal and not blocking: the pick's handler has returned before the user reads it.
    auto* box = new QMessageBox(QMessageBox::Critical, QStringLiteral("Korvale"), notReadyText(letter),
                                QMessageBox::Ok, window());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
