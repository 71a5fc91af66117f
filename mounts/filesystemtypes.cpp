#include "mounts/filesystemtypes.h"

#include <algorithm>
#include <string_view>

#include <linux/magic.h>

namespace {

enum class Use {
    NeverWalked,  // never entered, never a drive
    SystemOnly,   // walked, never a drive
    NetworkShare, // walked, a drive wherever mounted
    OwnDisk,      // walked, a drive: a disk of this machine
    SystemHere,   // as SystemOnly, and kept in memory or on this machine's disks
};

struct KnownType {
    std::string_view name;
    std::uint32_t magic; // what statfs reports for it; kNoMagic where it tells nothing apart
    Use use;
};

constexpr std::uint32_t kNoMagic = 0;

// Magic numbers <linux/magic.h> does not name.
constexpr std::uint32_t kConfigFsMagic = 0x62656570;
constexpr std::uint32_t kFuseControlMagic = 0x65735543;
constexpr std::uint32_t kMessageQueueMagic = 0x19800202;
constexpr std::uint32_t kRpcPipeMagic = 0x67596969;
constexpr std::uint32_t kNfsServerMagic = 0x6e667364;

constexpr KnownType kKnownTypes[] = {
    // The kernel's views of its own state and its service interfaces.
    {"proc", PROC_SUPER_MAGIC, Use::NeverWalked},
    {"sysfs", SYSFS_MAGIC, Use::NeverWalked},
    {"devpts", DEVPTS_SUPER_MAGIC, Use::NeverWalked},
    {"cgroup", CGROUP_SUPER_MAGIC, Use::NeverWalked},
    {"cpuset", CGROUP_SUPER_MAGIC, Use::NeverWalked},
    {"cgroup2", CGROUP2_SUPER_MAGIC, Use::NeverWalked},
    {"debugfs", DEBUGFS_MAGIC, Use::NeverWalked},
    {"tracefs", TRACEFS_MAGIC, Use::NeverWalked},
    {"securityfs", SECURITYFS_MAGIC, Use::NeverWalked},
    {"selinuxfs", SELINUX_MAGIC, Use::NeverWalked},
    {"smackfs", SMACK_MAGIC, Use::NeverWalked},
    {"bpf", BPF_FS_MAGIC, Use::NeverWalked},
    {"pstore", PSTOREFS_MAGIC, Use::NeverWalked},
    {"hugetlbfs", HUGETLBFS_MAGIC, Use::NeverWalked},
    {"efivarfs", EFIVARFS_MAGIC, Use::NeverWalked},
    {"binfmt_misc", BINFMTFS_MAGIC, Use::NeverWalked},
    {"nsfs", NSFS_MAGIC, Use::NeverWalked},
    {"autofs", AUTOFS_SUPER_MAGIC, Use::NeverWalked},
    {"binder", BINDERFS_SUPER_MAGIC, Use::NeverWalked},
    {"resctrl", RDTGROUP_SUPER_MAGIC, Use::NeverWalked},
    {"configfs", kConfigFsMagic, Use::NeverWalked},
    {"fusectl", kFuseControlMagic, Use::NeverWalked},
    {"mqueue", kMessageQueueMagic, Use::NeverWalked},
    {"rpc_pipefs", kRpcPipeMagic, Use::NeverWalked},
    {"nfsd", kNfsServerMagic, Use::NeverWalked},
    {"usbfs", USBDEVICE_SUPER_MAGIC, Use::NeverWalked},
    {"sockfs", SOCKFS_MAGIC, Use::NeverWalked},
    {"pipefs", PIPEFS_MAGIC, Use::NeverWalked},
    {"kernfs", kNoMagic, Use::NeverWalked},

    // Memory and the system's own images and layers.
    {"tmpfs", TMPFS_MAGIC, Use::SystemHere},
    {"devtmpfs", TMPFS_MAGIC, Use::SystemHere},
    {"ramfs", RAMFS_MAGIC, Use::SystemHere},
    {"rootfs", kNoMagic, Use::SystemOnly}, // ramfs or tmpfs
    {"overlay", OVERLAYFS_SUPER_MAGIC, Use::SystemHere},
    {"aufs", kNoMagic, Use::SystemOnly},
    {"squashfs", SQUASHFS_MAGIC, Use::SystemHere},
    {"erofs", EROFS_SUPER_MAGIC_V1, Use::SystemHere},
    {"ecryptfs", ECRYPTFS_SUPER_MAGIC, Use::SystemOnly},
    {"auto", kNoMagic, Use::SystemOnly},
    // FUSE helpers of the desktop and of containers, and package images mounted through FUSE.
    // All of FUSE reports one magic number: only the mount table tells these apart.
    {"fuse.gvfsd-fuse", kNoMagic, Use::SystemOnly},
    {"fuse.gvfs-fuse-daemon", kNoMagic, Use::SystemOnly},
    {"fuse.portal", kNoMagic, Use::SystemOnly},
    {"fuse.doc", kNoMagic, Use::SystemOnly},
    {"fuse.lxcfs", kNoMagic, Use::SystemOnly},
    {"fuse.snapfuse", kNoMagic, Use::SystemOnly},
    {"fuse.squashfuse", kNoMagic, Use::SystemOnly},
    {"fuse.squashfuse_ll", kNoMagic, Use::SystemOnly},
    {"fuse.fuse-overlayfs", kNoMagic, Use::SystemOnly},
    {"fuse.appimagefuse", kNoMagic, Use::SystemOnly},
    {"fuse.flatpak", kNoMagic, Use::SystemOnly},

    // Disks of this machine.
    {"ext2", EXT2_SUPER_MAGIC, Use::OwnDisk},
    {"ext3", EXT3_SUPER_MAGIC, Use::OwnDisk},
    {"ext4", EXT4_SUPER_MAGIC, Use::OwnDisk},
    {"xfs", XFS_SUPER_MAGIC, Use::OwnDisk},
    {"btrfs", BTRFS_SUPER_MAGIC, Use::OwnDisk},
    {"f2fs", F2FS_SUPER_MAGIC, Use::OwnDisk},

    // Kernel clients of other machines' shares (cifs, smb3 and afs report one of two numbers).
    {"nfs", NFS_SUPER_MAGIC, Use::NetworkShare},
    {"nfs4", NFS_SUPER_MAGIC, Use::NetworkShare},
    {"cifs", kNoMagic, Use::NetworkShare},
    {"smb3", kNoMagic, Use::NetworkShare},
    {"smbfs", SMB_SUPER_MAGIC, Use::NetworkShare},
    {"ncpfs", NCP_SUPER_MAGIC, Use::NetworkShare},
    {"afs", kNoMagic, Use::NetworkShare},
    {"ceph", CEPH_SUPER_MAGIC, Use::NetworkShare},
    {"9p", V9FS_MAGIC, Use::NetworkShare},
    {"glusterfs", kNoMagic, Use::NetworkShare},
    {"davfs", kNoMagic, Use::NetworkShare},
    // FUSE helpers that reach other machines.
    {"fuse.sshfs", kNoMagic, Use::NetworkShare},
    {"fuse.rclone", kNoMagic, Use::NetworkShare},
    {"fuse.s3fs", kNoMagic, Use::NetworkShare},
    {"fuse.davfs2", kNoMagic, Use::NetworkShare},
    {"fuse.curlftpfs", kNoMagic, Use::NetworkShare},
    {"fuse.smbnetfs", kNoMagic, Use::NetworkShare},
    {"fuse.glusterfs", kNoMagic, Use::NetworkShare},
    {"fuse.ceph-fuse", kNoMagic, Use::NetworkShare},
    {"fuse.gcsfuse", kNoMagic, Use::NetworkShare},
    {"fuse.kio-fuse", kNoMagic, Use::NetworkShare},
};

// Each name once, and no magic number that stands for a file system never walked and for
// one that is: the walk's two ways of knowing a file system could otherwise disagree.
constexpr bool isConsistent()
{
    for (const KnownType& a : kKnownTypes) {
        for (const KnownType& b : kKnownTypes) {
            if (&a == &b)
                continue;
            if (a.name == b.name)
                return false;
            if (a.magic != kNoMagic && a.magic == b.magic && (a.use == Use::NeverWalked) != (b.use == Use::NeverWalked))
                return false;
        }
    }
    return true;
}
static_assert(isConsistent(), "a file system type is listed twice, or a magic number stands for two uses");

const KnownType* find(QByteArrayView type)
{
    const std::string_view name(type.data(), std::size_t(type.size()));
    const auto found = std::find_if(std::begin(kKnownTypes), std::end(kKnownTypes),
                                    [name](const KnownType& known) { return known.name == name; });
    return found == std::end(kKnownTypes) ? nullptr : found;
}

bool isOfUse(QByteArrayView type, Use use)
{
    const KnownType* known = find(type);
    return known && known->use == use;
}

} // namespace

bool FileSystemTypes::isNeverWalked(QByteArrayView type) { return isOfUse(type, Use::NeverWalked); }

bool FileSystemTypes::isNeverWalkedMagic(std::uint32_t statfsType)
{
    const auto isIt = [statfsType](const KnownType& known) {
        return known.magic == statfsType && known.use == Use::NeverWalked;
    };
    return statfsType != kNoMagic && std::any_of(std::begin(kKnownTypes), std::end(kKnownTypes), isIt);
}

bool FileSystemTypes::isNeverGivenALetter(QByteArrayView type)
{
    return isNeverWalked(type) || isOfUse(type, Use::SystemOnly) || isOfUse(type, Use::SystemHere);
}

bool FileSystemTypes::isNetworkShare(QByteArrayView type) { return isOfUse(type, Use::NetworkShare); }

bool FileSystemTypes::listsOwnFolders(std::uint32_t statfsType)
{
    // ext2 and ext3 report ext4's number.
    constexpr std::uint32_t kListingOwnFolders[] = {EXT4_SUPER_MAGIC, XFS_SUPER_MAGIC, TMPFS_MAGIC, RAMFS_MAGIC};
    return std::find(std::begin(kListingOwnFolders), std::end(kListingOwnFolders), statfsType)
        != std::end(kListingOwnFolders);
}

bool FileSystemTypes::answersWithoutWaiting(std::uint32_t statfsType)
{
    const auto isIt = [statfsType](const KnownType& known) {
        return known.magic == statfsType && (known.use == Use::OwnDisk || known.use == Use::SystemHere);
    };
    return statfsType != kNoMagic && std::any_of(std::begin(kKnownTypes), std::end(kKnownTypes), isIt);
}
