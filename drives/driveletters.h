#pragma once

#include "drives/drivetable.h"

#include <QByteArray>
#include <QList>

// Which volume has which letter while the program runs. Letters D: to Y: go to the
// volumes in mount-point order at start; from then on a volume keeps its letter while it
// stays mounted, a volume mounted on a folder that had a letter before gets that letter
// back, and a new one takes the first letter never given. A letter is never given to
// another folder: one whose volume has gone stays in the table as a drive that is not
// there, so a path that still names it never leads to another disk.
class DriveLetters {
public:
    // Carries on from a table of the kind DriveTable::forHost makes.
    explicit DriveLetters(const DriveTable& start);

    // Takes the mount points of the volumes mounted now; true when the table changed.
    bool follow(const QList<QByteArray>& volumeMountPoints);

    const DriveTable& table() const { return m_table; }

private:
    DriveTable m_table;
};
