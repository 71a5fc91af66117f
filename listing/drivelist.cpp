#include "listing/drivelist.h"

#include "platform/drivetable.h"
#include "platform/hostfolder.h"
#include "platform/namecodec.h"

DriveList::DriveList(ListStart start, QObject* parent)
    : QAbstractListModel(parent)
{
    if (start == ListStart::Nowhere)
        return;
    if (const std::optional<WindowsPath> current = HostFolder::processCurrentFolder())
        m_letter = current->drive();
    else if (!DriveTable::active().drives().isEmpty())
        m_letter = DriveTable::active().drives().constFirst().letter;
}

QString DriveList::driveText(QChar letter)
{
    const std::optional<QByteArray> root = DriveTable::active().hostRoot(letter);
    if (!root)
        return QString();
    return QString(letter.toLower()) + QStringLiteral(": [") + NameCodec::decode(*root) + QLatin1Char(']');
}

QString DriveList::Drive() const { return driveText(m_letter); }

bool DriveList::setDrive(const QString& drive)
{
    if (drive.isEmpty() || !DriveTable::active().contains(drive[0]))
        return false;
    const QChar letter = drive[0].toUpper();
    if (letter == m_letter)
        return true;
    m_letter = letter;
    emit Change();
    return true;
}

int DriveList::rowOf(QChar letter) const
{
    const QList<DriveTable::Drive>& drives = DriveTable::active().drives();
    for (int row = 0; row < drives.size(); ++row) {
        if (drives[row].letter == letter.toUpper())
            return row;
    }
    return -1;
}

int DriveList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(DriveTable::active().drives().size());
}

QVariant DriveList::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const QChar letter = DriveTable::active().drives().at(index.row()).letter;
    if (role == Qt::DisplayRole)
        return driveText(letter);
    if (role == LetterRole)
        return letter;
    return QVariant();
}
