#pragma once

#include "mounts/mounttable.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <sys/types.h>

// A volume mounted now, with what names it whatever folder it is mounted on.
struct MountedVolume {
    QByteArray mountPoint;
    QString identity;
    friend bool operator==(const MountedVolume&, const MountedVolume&) = default;
};

// What tells one volume from another across unplugging and restarts, so that it can keep
// its drive letter, as text with its kind in front:
//   uuid:0A1B-2C3D          the file system's UUID
//   uuid:0A1B-2C3D/@home    a part of it mounted on its own (btrfs subvolume, bound folder)
//   label:STICK             a file system without UUID but with a label
//   source:nas:/export      a share, or a file system with neither, by where it comes from
//   share:smb-share:...     one of the desktop's shares, by its folder below the helper's
//   path:/mnt/daten         nothing better known: the mount point
// Names from the file system are kept byte for byte (NameCodec).
class VolumeIdentity {
public:
    // The names the system gives the block devices of file systems (/dev/disk/by-uuid and
    // /dev/disk/by-label), by device number.
    struct DiskNames {
        QHash<dev_t, QByteArray> uuids;
        QHash<dev_t, QByteArray> labels;

        static DiskNames read(const QByteArray& folder = "/dev/disk");
    };

    static QString of(const MountTable::Mount& mount, const DiskNames& names);
    static QString ofShareFolder(const QByteArray& shareFolder);

    // The volumes MountTable::volumeMountPoints finds, each with its identity, in the
    // same order.
    static QList<MountedVolume> volumes(const MountTable& mounts, const QList<QByteArray>& shareFolders,
                                        const DiskNames& names);
};
