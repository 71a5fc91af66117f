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

bool carryOwnerAndGroup(const struct stat& old, int newFile)
{
    if (geteuid() == 0)
        return fchown(newFile, old.st_uid, old.st_gid) == 0;
    struct stat made;
    if (old.st_uid != geteuid() || fstat(newFile, &made) != 0)
        return false;
    return made.st_gid == old.st_gid || fchown(newFile, uid_t(-1), old.st_gid) == 0;
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
    // The mode after the owner, since a change of owner may clear bits of it.
    if (!carryOwnerAndGroup(old, newFile) || fchmod(newFile, old.st_mode & 0777) != 0
        || !carryAccessList(oldFile, newFile))
        return false;
    struct stat made;
    if (fstat(newFile, &made) != 0 || (made.st_mode & 0777) != (old.st_mode & 0777))
        return false;
    copyUserAttributes(oldFile, newFile);
    return true;
}

} // namespace FileAttributes
