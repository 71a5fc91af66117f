#include "drives/driveletters.h"

#include <algorithm>

namespace {

using Drive = DriveTable::Drive;

bool isVolumeLetter(QChar letter) { return letter >= u'D' && letter <= u'Y'; }

bool hasVolumeOn(const QList<Drive>& drives, const QByteArray& mountPoint)
{
    return std::any_of(drives.cbegin(), drives.cend(),
                       [&](const Drive& drive) { return isVolumeLetter(drive.letter) && drive.hostRoot == mountPoint; });
}

QChar firstFreeLetter(const QList<Drive>& drives)
{
    for (char16_t letter = u'D'; letter <= u'Y'; ++letter) {
        if (std::none_of(drives.cbegin(), drives.cend(), [&](const Drive& drive) { return drive.letter == letter; }))
            return QChar(letter);
    }
    return QChar();
}

} // namespace

DriveLetters::DriveLetters(const DriveTable& start)
    : m_table(start)
{
}

bool DriveLetters::follow(const QList<QByteArray>& volumeMountPoints)
{
    QList<Drive> drives = m_table.drives();
    for (Drive& drive : drives) {
        if (isVolumeLetter(drive.letter))
            drive.present = volumeMountPoints.contains(drive.hostRoot);
    }
    for (const QByteArray& mountPoint : volumeMountPoints) {
        if (hasVolumeOn(drives, mountPoint))
            continue;
        const QChar letter = firstFreeLetter(drives);
        if (letter.isNull())
            break;
        // In letter order, as the drive lists show them at a fresh start.
        const auto place = std::find_if(drives.begin(), drives.end(), [&](const Drive& drive) { return drive.letter > letter; });
        drives.insert(place, {letter, mountPoint});
    }
    if (drives == m_table.drives())
        return false;
    m_table = DriveTable(drives);
    return true;
}
