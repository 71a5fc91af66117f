#pragma once

#include "drives/drivetable.h"
#include "drives/rememberedletters.h"
#include "mounts/volumeidentity.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QMap>

#include <chrono>

// Which volume has which letter while the program runs. C: is the home folder and Z: the
// root, always. A volume mounted gets the letter remembered for it; a volume never seen
// gets the first letter neither given this session nor remembered, or, when none is left,
// the letter whose volume was mounted longest ago and is not mounted now; a letter given
// once stays with its volume until the program ends, wherever that volume is mounted
// again. A volume that has gone stays in the table as a drive that is not there, so a
// path that still names it never leads to another disk.
class DriveLetters {
public:
    DriveLetters(const QByteArray& homeFolder, RememberedLetters remembered);

    // The letters of what the host has mounted now. The desktop's shares are waited for
    // no longer than shareWait.
    static DriveLetters forThisHost(RememberedLetters remembered, std::chrono::milliseconds shareWait);
    static QList<MountedVolume> mountedNow(std::chrono::milliseconds shareWait);

    // Takes the volumes mounted now, seen on the day given; true when the table changed.
    bool follow(const QList<MountedVolume>& volumes, QDate today);

    const DriveTable& table() const { return m_table; }
    // The letters to remember, with the volumes given one this session.
    const RememberedLetters& remembered() const { return m_remembered; }

private:
    bool takeBack(QList<DriveTable::Drive>& drives, const MountedVolume& volume) const;
    QChar firstUnusedLetter() const;
    QChar longestUnmountedLetter() const;
    void give(QList<DriveTable::Drive>& drives, QChar letter, const MountedVolume& volume);

    DriveTable m_table;
    RememberedLetters m_remembered;
    // The identity of the volume each letter of D: to Y: was given to this session.
    QMap<QChar, QString> m_given;
};
