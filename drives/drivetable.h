#pragma once

#include "drives/windowspath.h"

#include <QByteArray>
#include <QList>

#include <optional>

// Maps the old platform's drive letters onto host folders. Nothing outside drives/
// knows which host folder a letter stands for.
class DriveTable {
public:
    struct Drive {
        QChar letter;
        QByteArray hostRoot;
        // False for a volume that was mounted there and has gone: its letter stays listed
        // but leads nowhere, not even to the empty folder left where it was mounted.
        bool present = true;
        friend bool operator==(const Drive&, const Drive&) = default;
    };

    DriveTable() = default;
    explicit DriveTable(QList<Drive> drives);

    // C: the home folder, D:..Y: volumes and shares in mount-point order, Z: the root.
    static DriveTable forThisHost();
    // The same from the home folder and the volumes' mount points given, in their order;
    // volumes beyond Y: get no letter.
    static DriveTable forHost(const QByteArray& homeFolder, const QList<QByteArray>& volumeMountPoints);

    // The table this thread works with: the host's as it was at the first look, unless the
    // thread installed its own (the window's thread does as the mounts change, and tests
    // do; a run on a thread of its own takes the table of the thread that started it).
    static const DriveTable& active();
    static void setActive(DriveTable table);

    const QList<Drive>& drives() const { return m_drives; }
    // The drive of a letter, in either case; null for a letter the table does not hold.
    const Drive* find(QChar letter) const;
    bool contains(QChar letter) const { return find(letter) != nullptr; }
    // The host folder of a drive that is there; nothing for a volume that has gone.
    std::optional<QByteArray> hostRoot(QChar letter) const;

    std::optional<QByteArray> hostPathOf(const WindowsPath& path) const;

    // The drive whose host folder is the longest prefix of hostPath takes it; a volume
    // that has gone takes nothing.
    std::optional<WindowsPath> windowsPathOf(const QByteArray& hostPath) const;

private:
    QList<Drive> m_drives;
};
