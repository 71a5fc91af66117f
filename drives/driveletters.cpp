#include "drives/driveletters.h"

#include "drives/hosthome.h"
#include "mounts/sharefolder.h"

#include <algorithm>

#include <unistd.h>

namespace {

using Drive = DriveTable::Drive;

} // namespace

DriveLetters::DriveLetters(const QByteArray& homeFolder, RememberedLetters remembered)
    : m_table({{u'C', homeFolder}, {u'Z', "/"}})
    , m_remembered(std::move(remembered))
{
}

DriveLetters DriveLetters::forThisHost(RememberedLetters remembered, std::chrono::milliseconds shareWait)
{
    DriveLetters letters(HostHome::folder(), std::move(remembered));
    letters.follow(mountedNow(shareWait), QDate::currentDate());
    return letters;
}

// A share that does not answer in time is taken up later by the window's watch.
QList<MountedVolume> DriveLetters::mountedNow(std::chrono::milliseconds shareWait)
{
    const MountTable mounts = MountTable::read();
    QList<QByteArray> shares;
    if (const std::optional<QByteArray> shareFolder = mounts.shareFolder(getuid()))
        shares = ShareFolder::sharesWithin(*shareFolder, shareWait).value_or(shares);
    return VolumeIdentity::volumes(mounts, shares, VolumeIdentity::DiskNames::read());
}

bool DriveLetters::follow(const QList<MountedVolume>& volumes, QDate today)
{
    QList<Drive> drives = m_table.drives();
    for (Drive& drive : drives) {
        if (RememberedLetters::isVolumeLetter(drive.letter))
            drive.present = false;
    }
    QList<const MountedVolume*> waiting;
    for (const MountedVolume& volume : volumes) {
        if (!takeBack(drives, volume))
            waiting.append(&volume);
    }
    // Remembered volumes first, so that no new one takes a letter one of them gets back.
    QList<const MountedVolume*> unknown;
    for (const MountedVolume* volume : std::as_const(waiting)) {
        const std::optional<QChar> letter = m_remembered.letterOf(volume->identity);
        if (letter && !m_given.contains(*letter))
            give(drives, *letter, *volume);
        else
            unknown.append(volume);
    }
    for (const MountedVolume* volume : std::as_const(unknown)) {
        // A volume mounted twice at once is remembered by its first mount.
        const bool rememberable = !m_remembered.letterOf(volume->identity);
        QChar letter = firstUnusedLetter();
        if (letter.isNull() && rememberable)
            letter = longestUnmountedLetter();
        if (letter.isNull())
            continue;
        give(drives, letter, *volume);
        if (rememberable)
            m_remembered.remember(letter, {volume->identity, today});
    }
    for (const Drive& drive : std::as_const(drives)) {
        const RememberedLetters::Volume* remembered = m_remembered.volumeOf(drive.letter);
        if (drive.present && remembered && remembered->identity == m_given.value(drive.letter))
            m_remembered.setLastMounted(drive.letter, today);
    }
    if (drives == m_table.drives())
        return false;
    m_table = DriveTable(drives);
    return true;
}

// A volume that had a letter this session has it again, wherever it is mounted now.
bool DriveLetters::takeBack(QList<Drive>& drives, const MountedVolume& volume) const
{
    for (Drive& drive : drives) {
        if (!drive.present && m_given.contains(drive.letter) && m_given.value(drive.letter) == volume.identity) {
            drive.present = true;
            drive.hostRoot = volume.mountPoint;
            return true;
        }
    }
    return false;
}

QChar DriveLetters::firstUnusedLetter() const
{
    for (char16_t letter = u'D'; letter <= u'Y'; ++letter) {
        if (!m_given.contains(QChar(letter)) && !m_remembered.volumeOf(QChar(letter)))
            return QChar(letter);
    }
    return QChar();
}

// Of the remembered letters not given this session (so their volumes are not mounted), the
// one whose volume was seen longest ago; the first such letter where days are equal.
QChar DriveLetters::longestUnmountedLetter() const
{
    QChar oldest;
    QDate oldestDay;
    const QMap<QChar, RememberedLetters::Volume>& volumes = m_remembered.volumes();
    for (auto it = volumes.cbegin(); it != volumes.cend(); ++it) {
        if (!m_given.contains(it.key()) && (oldest.isNull() || it->lastMounted < oldestDay)) {
            oldest = it.key();
            oldestDay = it->lastMounted;
        }
    }
    return oldest;
}

void DriveLetters::give(QList<Drive>& drives, QChar letter, const MountedVolume& volume)
{
    m_given.insert(letter, volume.identity);
    // In letter order, as the drive lists show them.
    const auto place = std::find_if(drives.begin(), drives.end(), [&](const Drive& drive) { return drive.letter > letter; });
    drives.insert(place, {letter, volume.mountPoint});
}
