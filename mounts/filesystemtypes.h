#pragma once

#include <QByteArrayView>

#include <cstdint>

// File systems told apart by the type names the kernel gives them in the mount table
// ("ext4", "proc", "fuse.sshfs"), or, for a device the table does not know yet, by the
// magic number statfs reports for it. Both come from one table, so they always agree.
class FileSystemTypes {
public:
    // Views of the kernel's own state (proc, sysfs, cgroup and their like): they hold no
    // files a person wants listed, and some of them never end. An autofs mount point that
    // nothing is mounted on counts too: reading it would mount it. The walk never enters
    // these; tmpfs, ramfs and overlay hold real files and are walked.
    static bool isNeverWalked(QByteArrayView type);
    static bool isNeverWalkedMagic(std::uint32_t statfsType);

    // Never a drive of their own: the above, and the file systems the system itself is
    // built from or keeps its working state in (tmpfs, overlay, squashfs images of
    // packages, autofs, the desktop's own helper mounts), which a person never thinks of
    // as a disk.
    static bool isNeverGivenALetter(QByteArrayView type);

    // Shares on other machines, by kernel client or FUSE helper: a drive wherever they
    // are mounted.
    static bool isNetworkShare(QByteArrayView type);

    // By the magic number statfs reports: kept in memory or on a disk of this machine that
    // is no stick (ext4, xfs, btrfs, tmpfs, overlay), where a folder's read never waits on
    // another machine or on a device pulled out.
    static bool answersWithoutWaiting(std::uint32_t statfsType);

    // By the magic number statfs reports: every folder's listing names the folder itself
    // (".") and its parent ("..") by the inode numbers stat gives, and no folder below the
    // root lies on another device (ext2/3/4, xfs, tmpfs, ramfs). Not btrfs, whose
    // subvolumes are devices of their own below folders of another, nor overlay or FUSE,
    // whose listings may give other numbers.
    static bool listsOwnFolders(std::uint32_t statfsType);
};
