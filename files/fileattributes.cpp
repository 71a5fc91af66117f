#include "files/fileattributes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <cerrno>
#include <optional>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// The access list as the kernel stores it; no library is needed to copy it whole.
constexpr char kAccessList[] = "system.posix_acl_access";

bool isUnsupported(int error) { return error == ENOTSUP || error == EOPNOTSUPP; }

// The attribute's value; nothing where the file has none. Sizes can change between the
// two calls, so a value that grew is asked for again.
std::optional<QByteArray> attribute(int file, const char* name, bool& failed)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t size = fgetxattr(file, name, nullptr, 0);
        if (size < 0) {
            failed = errno != ENODATA && !isUnsupported(errno);
            return std::nullopt;
        }
        QByteArray value(size, Qt::Uninitialized);
        const ssize_t got = fgetxattr(file, name, value.data(), size_t(value.size()));
        if (got >= 0) {
            value.truncate(got);
            return value;
        }
        if (errno != ERANGE)
            break;
    }
    failed = true;
    return std::nullopt;
}

// Only root may give a file away; anyone may give it a group of their own.
bool carryOwnerAndGroup(const struct stat& old, int newFile)
{
    struct stat made;
    if (fstat(newFile, &made) == 0 && made.st_uid == old.st_uid && made.st_gid == old.st_gid)
        return true;
    return fchown(newFile, geteuid() == 0 ? old.st_uid : uid_t(-1), old.st_gid) == 0;
}

bool hasOwnerGroupAndMode(int file, const struct stat& old)
{
    struct stat made;
    return fstat(file, &made) == 0 && made.st_uid == old.st_uid && made.st_gid == old.st_gid
        && (made.st_mode & 0777) == (old.st_mode & 0777);
}

// An access list is only carried when it reads back exactly as the old file has it.
bool carryAccessList(int oldFile, int newFile)
{
    bool failed = false;
    const std::optional<QByteArray> list = attribute(oldFile, kAccessList, failed);
    if (!list)
        return !failed;
    if (fsetxattr(newFile, kAccessList, list->constData(), size_t(list->size()), 0) != 0)
        return false;
    const std::optional<QByteArray> stored = attribute(newFile, kAccessList, failed);
    return stored && *stored == *list;
}

void copyUserAttributes(int oldFile, int newFile)
{
    QByteArray names(XATTR_LIST_MAX, Qt::Uninitialized);
    const ssize_t length = flistxattr(oldFile, names.data(), size_t(names.size()));
    if (length <= 0)
        return;
    names.truncate(length);
    for (const QByteArray& name : names.split('\0')) {
        if (!name.startsWith("user."))
            continue;
        bool failed = false;
        if (const std::optional<QByteArray> value = attribute(oldFile, name.constData(), failed))
            fsetxattr(newFile, name.constData(), value->constData(), size_t(value->size()), 0);
    }
}

} // namespace

namespace FileAttributes {

bool carryOver(int oldFile, const struct stat& old, int newFile)
{
    // Each is tried whatever the one before answered, and what the new file has in the end
    // decides: a file system that keeps no owners (FAT) refuses fchown and fchmod, but gives
    // every file the same owner, group and mode. The mode goes after the owner, since a
    // change of owner may clear bits of it.
    carryOwnerAndGroup(old, newFile);
    fchmod(newFile, old.st_mode & 0777);
    if (!carryAccessList(oldFile, newFile) || !hasOwnerGroupAndMode(newFile, old))
        return false;
    copyUserAttributes(oldFile, newFile);
    return true;
}

} // namespace FileAttributes
