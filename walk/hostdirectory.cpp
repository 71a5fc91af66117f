#include "walk/hostdirectory.h"

#include "mounts/neverwalkedmounts.h"

#include <QByteArray>

#include <cerrno>
#include <climits>
#include <optional>

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
            return kindOfFolder(entry->d_name);
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
        if (!S_ISDIR(target.st_mode))
            return kindOfMode(target.st_mode);
        return m_mounts.isNeverWalked(target.st_dev, m_folder, name, 0) ? EntryKind::PseudoFolder
                                                                         : EntryKind::FolderLink;
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
        if (!S_ISDIR(info.st_mode))
            return kindOfMode(info.st_mode);
        if (m_mounts.mayBeMountPoint(name) && m_mounts.isNeverWalked(info.st_dev, m_folder, name, O_NOFOLLOW))
            return EntryKind::PseudoFolder;
        return isMountPoint(name) ? EntryKind::MountPoint : EntryKind::Folder;
    }

    // The mount table names the mount points: only a folder of such a name is looked at.
    // A folder that cannot be looked at stays a folder: the walk counts it when it cannot
    // enter it.
    EntryKind kindOfFolder(const char* name)
    {
        if (!m_mounts.isMountPointName(name))
            return EntryKind::Folder;
        if (m_mounts.mayBeMountPoint(name)) {
            struct stat info;
            if (fstatat(m_folder, name, &info, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) == 0
                && m_mounts.isNeverWalked(info.st_dev, m_folder, name, O_NOFOLLOW))
                return EntryKind::PseudoFolder;
        }
        return isMountPoint(name) ? EntryKind::MountPoint : EntryKind::Folder;
    }

    // By the path the folder has on the host, asked once per folder; where that cannot be
    // told, a folder of a mount point's name counts as one.
    bool isMountPoint(const char* name)
    {
        if (!m_hostPath) {
            const QByteArray link = "/proc/self/fd/" + QByteArray::number(m_folder);
            char path[PATH_MAX];
            const ssize_t length = readlink(link.constData(), path, sizeof path);
            m_hostPath = length > 0 && path[0] == '/' && size_t(length) < sizeof path
                ? QByteArray(path, length) : QByteArray();
        }
        if (m_hostPath->isEmpty())
            return true;
        return m_mounts.isMountPoint(*m_hostPath + (m_hostPath->endsWith('/') ? "" : "/") + name);
    }

    int m_folder;
    const NeverWalkedMounts& m_mounts;
    bool m_kindsComplete = true;
    std::optional<QByteArray> m_hostPath;
};

} // namespace

// getdents64 straight into a buffer of our own: opendir would add a stat and an
// allocation to every folder of a walk.
HostDirectory::Read HostDirectory::readFolder(int folder, const NeverWalkedMounts& mounts, Start start,
                                              const Visitor& visit)
{
    Read read;
    if (start == Start::Rewind && lseek(folder, 0, SEEK_SET) != 0)
        return read;
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
            else if (entry->d_name[1] == '\0')
                read.ownInode = entry->d_ino;
            else if (entry->d_name[1] == '.' && entry->d_name[2] == '\0')
                read.parentInode = entry->d_ino;
        }
    }
    read.outcome = complete && reading.kindsComplete() ? Outcome::Complete : Outcome::Incomplete;
    return read;
}
