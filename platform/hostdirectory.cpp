#include "platform/hostdirectory.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

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

EntryKind kindOf(int folder, const dirent* entry)
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

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

bool HostDirectory::read(const QByteArray& hostPath, const Visitor& visit)
{
    return readFolder(hostPath, visit) == Outcome::Complete;
}

HostDirectory::Outcome HostDirectory::readFolder(const QByteArray& hostPath, const Visitor& visit)
{
    DIR* folder = opendir(hostPath.constData());
    if (!folder)
        return isFolder(hostPath) ? Outcome::Incomplete : Outcome::NoFolder;
    const int descriptor = dirfd(folder);
    errno = 0;
    while (const dirent* entry = readdir(folder)) {
        if (!isDotOrDotDot(entry->d_name))
            visit(std::string_view(entry->d_name), kindOf(descriptor, entry));
        errno = 0;
    }
    const bool complete = errno == 0;
    closedir(folder);
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
