#include "walk/hostdirectory.h"

#include "mounts/neverwalkedmounts.h"

#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using EntryKind = HostDirectory::EntryKind;

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
    FolderReading(int folder, const NeverWalkedMounts& mounts)
        : m_folder(folder)
        , m_mounts(mounts)
    {
    }

    EntryKind kindOf(const dirent64* entry)
    {
        switch (entry->d_type) {
        case DT_REG:
            return EntryKind::File;
        case DT_DIR:
            return isNeverWalkedMountPoint(entry->d_name) ? EntryKind::PseudoFolder : EntryKind::Folder;
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
    // Only a link costs a look at what it leads to; a link into a file system that is
    // never walked is skipped as its mount point is.
    EntryKind kindOfLink(const char* name)
    {
        struct stat target;
        if (fstatat(m_folder, name, &target, AT_NO_AUTOMOUNT) != 0) {
            if (errno != ENOENT && errno != ELOOP && errno != ENOTDIR)
                m_kindsComplete = false;
            return EntryKind::Other;
        }
        if (S_ISDIR(target.st_mode) && m_mounts.isNeverWalked(target.st_dev, m_folder, name, 0))
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
        if (S_ISDIR(info.st_mode) && m_mounts.mayBeMountPoint(name)
            && m_mounts.isNeverWalked(info.st_dev, m_folder, name, O_NOFOLLOW))
            return EntryKind::PseudoFolder;
        return kindOfMode(info.st_mode);
    }

    // The mount table names the mount points: only a folder of such a name is looked at.
    // A folder that cannot be looked at stays a folder: the walk counts it when it cannot
    // enter it.
    bool isNeverWalkedMountPoint(const char* name)
    {
        if (!m_mounts.mayBeMountPoint(name))
            return false;
        struct stat info;
        if (fstatat(m_folder, name, &info, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0)
            return false;
        return m_mounts.isNeverWalked(info.st_dev, m_folder, name, O_NOFOLLOW);
    }

    int m_folder;
    const NeverWalkedMounts& m_mounts;
    bool m_kindsComplete = true;
};

} // namespace

// getdents64 straight into a buffer of our own: opendir would add a stat and an
// allocation to every folder of a walk.
HostDirectory::Outcome HostDirectory::readFolder(int folder, const NeverWalkedMounts& mounts, Start start,
                                                 const Visitor& visit)
{
    if (start == Start::Rewind && lseek(folder, 0, SEEK_SET) != 0)
        return Outcome::Incomplete;
    alignas(dirent64) char buffer[32768];
    FolderReading reading(folder, mounts);
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
            // A hidden entry is never listed, so what it is is never asked: a hidden link
            // into a share that does not answer would hold the read for nothing.
            if (entry->d_name[0] != '.')
                visit(std::string_view(entry->d_name), reading.kindOf(entry));
        }
    }
    return complete && reading.kindsComplete() ? Outcome::Complete : Outcome::Incomplete;
}
