#pragma once

#include "mounts/mounttable.h"
#include "mounts/mountwatch.h"

#include <QSet>

#include <memory>
#include <string_view>

#include <sys/types.h>

// Where the walk must not go: file systems that hold no files a person wants listed (see
// FileSystemTypes::isNeverWalked), known from the mount table by their devices and the
// names of their mount points. So a folder read looks only at a subfolder whose name is
// such a mount point's, never at each of them, and asks the host about a file system
// once per device, not once per folder.
class NeverWalkedMounts {
public:
    NeverWalkedMounts() = default;
    explicit NeverWalkedMounts(MountTable table);
    // The host's mounts now.
    static std::shared_ptr<const NeverWalkedMounts> readNow();

    // Only a folder of such a name can be the mount point of a file system never walked.
    bool mayBeMountPoint(std::string_view name) const;
    // Only a folder of such a name can be a mount point at all (the last name of one).
    bool isMountPointName(std::string_view name) const;
    // Whether the table has something mounted at this host path (as the process sees it).
    bool isMountPoint(const QByteArray& hostPath) const;
    // Whether a folder on that device is never walked. A device the table does not know
    // (mounted since it was read, a btrfs subvolume) is asked about through the name in
    // its folder (openat flags: O_NOFOLLOW or none).
    bool isNeverWalked(dev_t device, int folder, const char* name, int flags) const;

private:
    MountTable m_table;
    QSet<QByteArray> m_mountPointNames;
    QSet<QByteArray> m_allMountPointNames;
    QSet<QByteArray> m_mountPoints;
};

// A run's view of the mounts, kept current: read again once the mount watch counted a
// change since it was last read.
class CurrentMounts {
public:
    CurrentMounts();

    std::shared_ptr<const NeverWalkedMounts> now();

private:
    const std::shared_ptr<MountWatch> m_watch;
    // Taken before the table is read: a change made while it is read is read at the next look.
    quint64 m_changesRead;
    std::shared_ptr<const NeverWalkedMounts> m_mounts;
};
