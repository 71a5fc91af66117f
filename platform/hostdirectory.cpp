#include "platform/hostdirectory.h"

#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

using EntryKind = HostDirectory::EntryKind;

// File systems that <linux/magic.h> does not name.
constexpr long kConfigFsMagic = 0x62656570;
constexpr long kFuseControlMagic = 0x65735543;
constexpr long kMessageQueueMagic = 0x19800202;

EntryKind kindOfMode(mode_t mode)
{
    if (S_ISREG(mode))
        return EntryKind::File;
    if (S_ISDIR(mode))
        return EntryKind::Folder;
    return EntryKind::Other;
}

class FolderReading {
public:
    FolderReading(int folder, dev_t device)
        : m_folder(folder)
        , m_device(device)
    {
    }

    EntryKind kindOf(const dirent64* entry)
    {
        switch (entry->d_type) {
        case DT_REG:
            return EntryKind::File;
        case DT_DIR:
            return isPseudoMountPoint(entry->d_name) ? EntryKind::PseudoFolder : EntryKind::Folder;
        case DT_LNK:
            return kindOfLink(entry->d_name);
        case DT_UNKNOWN:
            return kindOfUnknown(entry->d_name);
        default:
            return EntryKind::Other;
        }
    }

    bool kindsComplete() const { return m_kindsComplete; }

private:
    // Only a link costs a look at what it leads to. A link onto another device may lead
    // into a file system that is never listed, as its mount point is not.
    EntryKind kindOfLink(const char* name)
    {
        struct stat target;
        if (fstatat(m_folder, name, &target, AT_NO_AUTOMOUNT) != 0) {
            if (errno != ENOENT && errno != ELOOP && errno != ENOTDIR)
                m_kindsComplete = false;
            return EntryKind::Other;
        }
        if (S_ISDIR(target.st_mode) && target.st_dev != m_device && isPseudoFileSystemAt(name, 0))
            return EntryKind::PseudoFolder;
        return kindOfMode(target.st_mode);
    }

    EntryKind kindOfUnknown(const char* name)
    {
        struct stat info;
        if (fstatat(m_folder, name, &info, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0) {
            m_kindsComplete = false;
            return EntryKind::Other;
        }
        if (S_ISLNK(info.st_mode))
            return kindOfLink(name);
        if (S_ISDIR(info.st_mode) && isPseudoMount(name, info.st_dev))
            return EntryKind::PseudoFolder;
        return kindOfMode(info.st_mode);
    }

    // A folder on another device than its parent is a mount point; only then is its file
    // system asked for. A folder that cannot be looked at stays a folder: the walk counts
    // it when it cannot enter it.
    bool isPseudoMountPoint(const char* name)
    {
        struct stat info;
        if (fstatat(m_folder, name, &info, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0)
            return false;
        return isPseudoMount(name, info.st_dev);
    }

    bool isPseudoMount(const char* name, dev_t device)
    {
        return device != m_device && isPseudoFileSystemAt(name, O_NOFOLLOW);
    }

    bool isPseudoFileSystemAt(const char* name, int flags)
    {
        // O_PATH without O_DIRECTORY does not set off an automount.
        const int opened = openat(m_folder, name, O_PATH | O_CLOEXEC | flags);
        if (opened < 0)
            return false;
        struct statfs fileSystem;
        const bool pseudo = fstatfs(opened, &fileSystem) == 0 && HostDirectory::isPseudoFileSystem(long(fileSystem.f_type));
        close(opened);
        return pseudo;
    }

    int m_folder;
    dev_t m_device;
    bool m_kindsComplete = true;
};

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

bool HostDirectory::isPseudoFileSystem(long fileSystemType)
{
    switch (fileSystemType) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case SELINUX_MAGIC:
    case SMACK_MAGIC:
    case BPF_FS_MAGIC:
    case PSTOREFS_MAGIC:
    case HUGETLBFS_MAGIC:
    case EFIVARFS_MAGIC:
    case BINFMTFS_MAGIC:
    case NSFS_MAGIC:
    case AUTOFS_SUPER_MAGIC:
    case BINDERFS_SUPER_MAGIC:
    case RDTGROUP_SUPER_MAGIC:
    case kConfigFsMagic:
    case kFuseControlMagic:
    case kMessageQueueMagic:
        return true;
    default:
        return false;
    }
}

// getdents64 straight into a buffer of our own: opendir would add a stat and an
// allocation to every folder of a walk.
HostDirectory::Outcome HostDirectory::readFolder(int folder, dev_t device, Start start, const Visitor& visit)
{
    if (start == Start::Rewind && lseek(folder, 0, SEEK_SET) != 0)
        return Outcome::Incomplete;
    alignas(dirent64) char buffer[32768];
    FolderReading reading(folder, device);
    bool complete = true;
    for (;;) {
        const ssize_t filled = getdents64(folder, buffer, sizeof buffer);
        if (filled <= 0) {
            complete = filled == 0;
            break;
        }
        for (ssize_t offset = 0; offset < filled;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + offset);
            offset += entry->d_reclen;
            if (!isDotOrDotDot(entry->d_name))
                visit(std::string_view(entry->d_name), reading.kindOf(entry));
        }
    }
    return complete && reading.kindsComplete() ? Outcome::Complete : Outcome::Incomplete;
}
