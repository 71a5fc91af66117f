#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>

#include <optional>

#include <sys/types.h>

// What the host has mounted where, as the kernel's table tells it (see MountWatch).
class MountTable {
public:
    struct Mount {
        QByteArray mountPoint;
        dev_t device = 0;
        // The folder of the file system that is mounted there: "/" for all of it, another
        // for a btrfs subvolume or a folder bound elsewhere.
        QByteArray root;
        QByteArray fileSystemType; // "ext4", "fuse.sshfs"
        QByteArray source;         // "/dev/sdb1", "server:/export"
    };

    // The system's mounts now; an empty table when they cannot be read.
    static MountTable read();
    static MountTable fromMountInfo(const QByteArray& mountInfo);

    // In the order the kernel lists them: a mount comes after the one it is mounted on.
    const QList<Mount>& mounts() const { return m_mounts; }

    // The type of the file system a device number belongs to (st_dev of a stat). Nothing
    // for a device the table does not hold: a mount newer than the table, or a btrfs
    // subvolume, which stat reports under a device number of its own.
    std::optional<QByteArray> fileSystemTypeOf(dev_t device) const;

    // Mount points that are drives of their own, with the desktop's share folders given
    // (see ShareFolder), sorted, each once: disks under /media, /run/media and /mnt, and
    // network shares wherever they are mounted; never the system's own folders nor a file
    // system that is never given a letter.
    QList<QByteArray> volumeMountPoints(const QList<QByteArray>& shareFolders = {}) const;

    // The mount a person sees at a mount point (the last of those stacked there); null
    // for none.
    const Mount* topmostAt(const QByteArray& mountPoint) const;
    // The mount point path lies on as its names read (links are not followed): the longest
    // one it lies in or below.
    QByteArray mountPointOf(const QByteArray& path) const;
    // True when path lies in or below folder, compared name by name.
    static bool isInOrBelow(const QByteArray& path, const QByteArray& folder);

    // The folder in which the desktop's share helper shows this account's shares, one
    // folder per share, when it is mounted.
    std::optional<QByteArray> shareFolder(uid_t user) const;

private:
    QList<Mount> m_mounts;
    QHash<dev_t, qsizetype> m_byDevice;
};
