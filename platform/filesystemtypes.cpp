#include "platform/filesystemtypes.h"

#include <algorithm>
#include <array>

namespace {

// The same file systems the walk recognises by their statfs magic numbers.
constexpr std::array<QByteArrayView, 22> kNeverWalked = {
    "proc",     "sysfs",      "devpts",  "cgroup",   "cgroup2",     "debugfs", "tracefs", "securityfs",
    "selinuxfs", "smackfs",   "bpf",     "pstore",   "hugetlbfs",   "efivarfs", "binfmt_misc", "nsfs",
    "autofs",   "binder",     "resctrl", "configfs", "fusectl",     "mqueue",
};

constexpr std::array<QByteArrayView, 28> kSystemOnly = {
    // Memory and the system's own images and layers.
    "tmpfs", "ramfs", "devtmpfs", "rootfs", "overlay", "aufs", "squashfs", "erofs",
    // Kernel and service interfaces that the list above does not hold.
    "rpc_pipefs", "nfsd", "cpuset", "usbfs", "kernfs", "sockfs", "pipefs", "ecryptfs", "auto",
    // FUSE helpers of the desktop and of containers, and package images mounted through FUSE.
    "fuse.gvfsd-fuse", "fuse.gvfs-fuse-daemon", "fuse.portal", "fuse.doc", "fuse.lxcfs",
    "fuse.snapfuse", "fuse.squashfuse", "fuse.squashfuse_ll", "fuse.fuse-overlayfs",
    "fuse.appimagefuse", "fuse.flatpak",
};

constexpr std::array<QByteArrayView, 21> kNetworkShares = {
    "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "ceph", "glusterfs", "9p", "davfs",
    "fuse.sshfs", "fuse.rclone", "fuse.s3fs", "fuse.davfs2", "fuse.curlftpfs", "fuse.smbnetfs",
    "fuse.glusterfs", "fuse.ceph-fuse", "fuse.gcsfuse", "fuse.kio-fuse",
};

template <std::size_t N>
bool holds(const std::array<QByteArrayView, N>& types, QByteArrayView type)
{
    return std::find(types.begin(), types.end(), type) != types.end();
}

} // namespace

bool FileSystemTypes::isNeverWalked(QByteArrayView type) { return holds(kNeverWalked, type); }

bool FileSystemTypes::isNeverGivenALetter(QByteArrayView type)
{
    return isNeverWalked(type) || holds(kSystemOnly, type);
}

bool FileSystemTypes::isNetworkShare(QByteArrayView type) { return holds(kNetworkShares, type); }
