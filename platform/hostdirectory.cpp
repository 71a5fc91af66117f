#include "platform/hostdirectory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
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

EntryKind kindOfLink(int folder, const char* name)
{
    struct stat target;
    if (fstatat(folder, name, &target, 0) != 0)
        return EntryKind::Other;
    const EntryKind kind = kindOfMode(target.st_mode);
    return kind == EntryKind::Folder ? EntryKind::LinkToFolder : kind;
}

EntryKind kindOf(int folder, const dirent64* entry)
{
    switch (entry->d_type) {
    case DT_REG:
        return EntryKind::File;
    case DT_DIR:
        return EntryKind::Folder;
    case DT_LNK:
        return kindOfLink(folder, entry->d_name);
    case DT_UNKNOWN: {
        struct stat info;
        if (fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryKind::Other;
        return S_ISLNK(info.st_mode) ? kindOfLink(folder, entry->d_name) : kindOfMode(info.st_mode);
    }
    default:
        return EntryKind::Other;
    }
}

// On these file systems a folder's link count is 2 plus its number of subfolders (1 when
// there are too many to count); elsewhere the count says nothing and the folder is read.
bool keepsFolderLinkCount(int folder)
{
    struct statfs fileSystem;
    if (fstatfs(folder, &fileSystem) != 0)
        return false;
    const auto type = static_cast<unsigned long>(fileSystem.f_type);
    return type == 0xEF53 /* ext2, ext3, ext4 */ || type == 0x58465342 /* XFS */ || type == 0x01021994 /* tmpfs */;
}

bool holdsNoFolders(int folder)
{
    struct stat info;
    return fstat(folder, &info) == 0 && info.st_nlink == 2 && keepsFolderLinkCount(folder);
}

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

// getdents64 straight into a buffer of our own: opendir would add a stat and an
// allocation to every folder of a walk.
HostDirectory::Outcome HostDirectory::readFolder(const QByteArray& hostPath, const Visitor& visit, Wanted wanted)
{
    const int folder = open(hostPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return isFolder(hostPath) ? Outcome::Incomplete : Outcome::NoFolder;
    if (wanted == Wanted::FoldersOnly && holdsNoFolders(folder)) {
        close(folder);
        return Outcome::Complete;
    }
    alignas(dirent64) char buffer[32768];
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
                visit(std::string_view(entry->d_name), kindOf(folder, entry));
        }
    }
    close(folder);
    return complete ? Outcome::Complete : Outcome::Incomplete;
}

bool HostDirectory::isFolder(const QByteArray& hostPath)
{
    struct stat info;
    return stat(hostPath.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool HostDirectory::isFile(const QByteArray& hostPath)
{
    struct stat info;
    return stat(hostPath.constData(), &info) == 0 && S_ISREG(info.st_mode);
}
