#include "mounts/mounttable.h"

#include "mounts/filesystemtypes.h"
#include "mounts/mountwatch.h"

#include <algorithm>
#include <array>

#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// mountinfo writes blanks, tabs, newlines and backslashes in paths as octal escapes.
QByteArray unescapeMountPath(const QByteArray& field)
{
    QByteArray path;
    path.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int value = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok && value < 256) {
                path.append(char(value));
                i += 3;
                continue;
            }
        }
        path.append(field[i]);
    }
    return path;
}

std::optional<dev_t> deviceNumber(const QByteArray& field)
{
    const qsizetype colon = field.indexOf(':');
    if (colon < 0)
        return std::nullopt;
    bool majorOk = false;
    bool minorOk = false;
    const uint major = field.left(colon).toUInt(&majorOk);
    const uint minor = field.mid(colon + 1).toUInt(&minorOk);
    if (!majorOk || !minorOk)
        return std::nullopt;
    return makedev(major, minor);
}

// Fields: id parent major:minor root mount-point options [optional...] - type source ...
std::optional<MountTable::Mount> parseLine(const QByteArray& line)
{
    const QList<QByteArray> fields = line.split(' ');
    const qsizetype dash = fields.indexOf("-");
    if (fields.size() < 5 || dash < 6 || dash + 1 >= fields.size())
        return std::nullopt;
    const std::optional<dev_t> device = deviceNumber(fields[2]);
    if (!device)
        return std::nullopt;
    return MountTable::Mount{unescapeMountPath(fields[4]), *device, unescapeMountPath(fields[3]), fields[dash + 1],
                             dash + 2 < fields.size() ? unescapeMountPath(fields[dash + 2]) : QByteArray()};
}

bool isStrictlyBelow(const QByteArray& path, QByteArrayView folder)
{
    return path.size() > folder.size() + 1 && path.startsWith(folder) && path[folder.size()] == '/';
}

bool isRemovableOrExtraDisk(const QByteArray& mountPoint)
{
    return isStrictlyBelow(mountPoint, "/media") || isStrictlyBelow(mountPoint, "/run/media")
        || isStrictlyBelow(mountPoint, "/mnt");
}

// Folders of the system's own layout: a share mounted on one of them (homes over NFS on
// /home) is part of the system, not a drive.
bool isSystemFolder(const QByteArray& mountPoint)
{
    static constexpr std::array<QByteArrayView, 30> folders = {
        "/",        "/bin",      "/boot",     "/dev",     "/etc",      "/home",     "/lib",      "/lib32",
        "/lib64",   "/libx32",   "/media",    "/mnt",     "/opt",      "/proc",     "/root",     "/run",
        "/sbin",    "/srv",      "/sys",      "/tmp",     "/usr",      "/usr/local", "/var",     "/var/tmp",
        "/var/log", "/var/cache", "/var/lib", "/var/mail", "/var/spool", "/net",
    };
    return std::find(folders.begin(), folders.end(), QByteArrayView(mountPoint)) != folders.end();
}

// Below these the system keeps its own mounts (kernel views, boot partitions, packages,
// containers); only the desktop's runtime folders under /run hold a person's shares.
bool isInSystemArea(const QByteArray& mountPoint)
{
    for (const QByteArrayView area : {"/proc", "/sys", "/dev", "/boot", "/snap", "/var/lib", "/var/snap", "/usr"}) {
        if (isStrictlyBelow(mountPoint, area))
            return true;
    }
    return isStrictlyBelow(mountPoint, "/run") && !isStrictlyBelow(mountPoint, "/run/media")
        && !isStrictlyBelow(mountPoint, "/run/user");
}

// A program's private mount (a sync tool's below ~/.cache) is no drive of the person's.
bool isHidden(const QByteArray& mountPoint) { return mountPoint.contains("/."); }

bool isVolume(const MountTable::Mount& mount)
{
    if (FileSystemTypes::isNeverGivenALetter(mount.fileSystemType) || isSystemFolder(mount.mountPoint)
        || isInSystemArea(mount.mountPoint) || isHidden(mount.mountPoint)) {
        return false;
    }
    return isRemovableOrExtraDisk(mount.mountPoint) || FileSystemTypes::isNetworkShare(mount.fileSystemType);
}

} // namespace

MountTable MountTable::read() { return fromMountInfo(MountWatch::readTable().value_or(QByteArray())); }

MountTable MountTable::fromMountInfo(const QByteArray& mountInfo)
{
    MountTable table;
    for (const QByteArray& line : mountInfo.split('\n')) {
        if (std::optional<Mount> mount = parseLine(line)) {
            // A device mounted twice (a bind mount) is one file system: its first entry names it.
            if (!table.m_byDevice.contains(mount->device))
                table.m_byDevice.insert(mount->device, table.m_mounts.size());
            table.m_mounts.append(std::move(*mount));
        }
    }
    return table;
}

std::optional<QByteArray> MountTable::fileSystemTypeOf(dev_t device) const
{
    const auto found = m_byDevice.constFind(device);
    if (found == m_byDevice.cend())
        return std::nullopt;
    return m_mounts.at(*found).fileSystemType;
}

QList<QByteArray> MountTable::volumeMountPoints(const QList<QByteArray>& shareFolders) const
{
    // Of mounts stacked on one folder, the last one is what a person sees there.
    QHash<QByteArray, const Mount*> topmost;
    for (const Mount& mount : m_mounts)
        topmost.insert(mount.mountPoint, &mount);
    QList<QByteArray> volumes = shareFolders;
    for (const Mount* mount : std::as_const(topmost)) {
        if (isVolume(*mount))
            volumes.append(mount->mountPoint);
    }
    std::sort(volumes.begin(), volumes.end());
    return volumes;
}

const MountTable::Mount* MountTable::topmostAt(const QByteArray& mountPoint) const
{
    for (auto mount = m_mounts.crbegin(); mount != m_mounts.crend(); ++mount) {
        if (mount->mountPoint == mountPoint)
            return &*mount;
    }
    return nullptr;
}

std::optional<QByteArray> MountTable::shareFolder(uid_t user) const
{
    const QByteArray folder = "/run/user/" + QByteArray::number(user) + "/gvfs";
    for (const Mount& mount : m_mounts) {
        if (mount.mountPoint == folder && mount.fileSystemType.startsWith("fuse.gvfs"))
            return folder;
    }
    return std::nullopt;
}

QByteArray MountTable::mountPointOf(const QByteArray& path) const
{
    QByteArray best = "/";
    for (const Mount& mount : m_mounts) {
        if (mount.mountPoint.size() > best.size() && isInOrBelow(path, mount.mountPoint))
            best = mount.mountPoint;
    }
    return best;
}

bool MountTable::isInOrBelow(const QByteArray& path, const QByteArray& folder)
{
    if (folder == "/")
        return path.startsWith('/');
    return path == folder || (path.startsWith(folder) && path[folder.size()] == '/');
}
