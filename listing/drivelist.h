#pragma once

#include "listing/liststart.h"

#include <QAbstractListModel>

#include "drives/drivetable.h"

// A drive list: the drives of the drive table, one of them selected. Where the thread's
// table follows the system's mounts (HostDrives), the list follows it: drives are added,
// none is taken away, and the selected drive stays selected without a change event.
class DriveList : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { LetterRole = Qt::UserRole + 1 };

    // Started in the current folder, the list selects that folder's drive (or the first
    // one); started nowhere, it selects none until it is set.
    explicit DriveList(ListStart start = ListStart::Nowhere, QObject* parent = nullptr);

    // "c: [/home/user]": the letter in lower case, a colon, the host folder in brackets.
    QString Drive() const;
    // Takes the letter from the first character, so a folder's first three characters
    // select its drive. False for a letter the table does not hold.
    bool setDrive(const QString& drive);
    QChar letter() const { return m_letter; }
    int rowOf(QChar letter) const;

    static QString driveText(QChar letter);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

signals:
    void Change();

private:
    void followTable();

    QList<DriveTable::Drive> m_drives;
    QChar m_letter;
};
