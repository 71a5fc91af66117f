#pragma once

#include <QComboBox>

class DriveList;

// Shows a drive list as a drop-down of the drive table's drives. A pick is handed to the
// drive list only when the drive is ready; otherwise the drop-down returns to the drive
// it showed and says so, and no change handler runs.
class DriveCombo : public QComboBox {
    Q_OBJECT

public:
    DriveCombo(DriveList& drives, QWidget* parent);

    static QString notReadyText(QChar letter);

private:
    void pick(int row);
    void showSelectedDrive();
    void announceNotReady(QChar letter);

    DriveList& m_drives;
};
