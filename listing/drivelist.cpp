#include "listing/drivelist.h"

#include "drives/hostdrives.h"
#include "text/namecodec.h"
#include "walk/hostfolder.h"

namespace {

QString textOf(const DriveTable::Drive& drive)
{
    return QString(drive.letter.toLower()) + QStringLiteral(": [") + NameCodec::decode(drive.hostRoot) + QLatin1Char(']');
}

QString lettersOf(const QList<DriveTable::Drive>& drives)
{
    QString letters;
    for (const DriveTable::Drive& drive : drives)
        letters.append(drive.letter);
    return letters;
}

} // namespace

DriveList::DriveList(ListStart start, QObject* parent)
    : QAbstractListModel(parent)
    , m_drives(DriveTable::active().drives())
{
    if (HostDrives* host = HostDrives::onThisThread())
        connect(host, &HostDrives::changed, this, &DriveList::followTable);
    if (start == ListStart::Nowhere)
        return;
    if (const std::optional<WindowsPath> current = HostFolder::processCurrentFolder())
        m_letter = current->drive();
    else if (!m_drives.isEmpty())
        m_letter = m_drives.constFirst().letter;
}

QString DriveList::driveText(QChar letter)
{
    const DriveTable::Drive* drive = DriveTable::active().find(letter);
    return drive ? textOf(*drive) : QString();
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
    for (int row = 0; row < m_drives.size(); ++row) {
        if (m_drives[row].letter == letter.toUpper())
            return row;
    }
    return -1;
}

int DriveList::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_drives.size()); }

QVariant DriveList::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const DriveTable::Drive& drive = m_drives.at(index.row());
    if (role == Qt::DisplayRole)
        return textOf(drive);
    if (role == LetterRole)
        return drive.letter;
    return QVariant();
}

// New drives come in as rows of their own, so a view keeps its selection and an open
// drop-down stays open; a drive that has gone only changes its row.
void DriveList::followTable()
{
    const QList<DriveTable::Drive>& now = DriveTable::active().drives();
    for (int row = 0; row < now.size(); ++row) {
        if (row < m_drives.size() && m_drives[row].letter == now[row].letter) {
            if (m_drives[row] != now[row]) {
                m_drives[row] = now[row];
                emit dataChanged(index(row), index(row));
            }
        } else if (rowOf(now[row].letter) < 0) {
            beginInsertRows(QModelIndex(), row, row);
            m_drives.insert(row, now[row]);
            endInsertRows();
        }
    }
    if (lettersOf(m_drives) != lettersOf(now)) {
        beginResetModel();
        m_drives = now;
        endResetModel();
    }
}
