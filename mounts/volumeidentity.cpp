#include "mounts/volumeidentity.h"

#include "mounts/filesystemtypes.h"
#include "text/namecodec.h"

#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A system has a few dozen; a folder that holds more is not believed further.
constexpr int kMostDiskNames = 4096;

// The system writes a byte that may not stand in a file name as \xHH ("USB\x20STICK").
QByteArray unescapedDiskName(const QByteArray& name)
{
    QByteArray out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            bool ok = false;
            const int value = name.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(name[i]);
    }
    return out;
}

// Each link of the folder that leads to a block device, by that device's number.
QHash<dev_t, QByteArray> namesIn(const QByteArray& folder)
{
    QHash<dev_t, QByteArray> names;
    DIR* listing = opendir(folder.constData());
    if (!listing)
        return names;
    int seen = 0;
    while (const dirent* entry = readdir(listing)) {
        if (++seen > kMostDiskNames)
            break;
        struct stat info;
        if (entry->d_name[0] == '.' || fstatat(dirfd(listing), entry->d_name, &info, 0) != 0 || !S_ISBLK(info.st_mode))
            continue;
        names.insert(info.st_rdev, unescapedDiskName(entry->d_name));
    }
    closedir(listing);
    return names;
}

// The device a mount's source names, where that is a device node: a btrfs mount reports a
// device number of its own, not that of the disk it lies on.
std::optional<dev_t> blockDeviceOf(const QByteArray& source)
{
    struct stat info;
    if (!source.startsWith("/dev/") || stat(source.constData(), &info) != 0 || !S_ISBLK(info.st_mode))
        return std::nullopt;
    return info.st_rdev;
}

const QByteArray* nameOf(const QHash<dev_t, QByteArray>& names, const MountTable::Mount& mount)
{
    if (const auto found = names.constFind(mount.device); found != names.cend())
        return &*found;
    if (const std::optional<dev_t> device = blockDeviceOf(mount.source)) {
        if (const auto found = names.constFind(*device); found != names.cend())
            return &*found;
    }
    return nullptr;
}

QString identity(QStringView kind, const QByteArray& name) { return kind.toString() + u':' + NameCodec::decode(name); }

// The part of the file system that is mounted, after the name of the whole.
QByteArray withPart(const QByteArray& name, const MountTable::Mount& mount)
{
    return mount.root.isEmpty() || mount.root == "/" ? name : name + mount.root;
}

// What a mount's source says where it names no particular thing.
bool isTellingSource(const QByteArray& source)
{
    return !source.isEmpty() && source != "none";
}

} // namespace

VolumeIdentity::DiskNames VolumeIdentity::DiskNames::read(const QByteArray& folder)
{
    return {namesIn(folder + "/by-uuid"), namesIn(folder + "/by-label")};
}

QString VolumeIdentity::of(const MountTable::Mount& mount, const DiskNames& names)
{
    // KDE's helper mounts all shares in one folder whose name changes at every login.
    if (mount.fileSystemType == "fuse.kio-fuse")
        return QStringLiteral("share:kio-fuse");
    if (!FileSystemTypes::isNetworkShare(mount.fileSystemType)) {
        if (const QByteArray* uuid = nameOf(names.uuids, mount))
            return identity(u"uuid", withPart(*uuid, mount));
        if (const QByteArray* label = nameOf(names.labels, mount))
            return identity(u"label", withPart(*label, mount));
    }
    if (isTellingSource(mount.source))
        return identity(u"source", withPart(mount.source, mount));
    return identity(u"path", mount.mountPoint);
}

QString VolumeIdentity::ofShareFolder(const QByteArray& shareFolder)
{
    return identity(u"share", shareFolder.sliced(shareFolder.lastIndexOf('/') + 1));
}

QList<MountedVolume> VolumeIdentity::volumes(const MountTable& mounts, const QList<QByteArray>& shareFolders,
                                             const DiskNames& names)
{
    QList<MountedVolume> volumes;
    for (const QByteArray& mountPoint : mounts.volumeMountPoints(shareFolders)) {
        const MountTable::Mount* mount = mounts.topmostAt(mountPoint);
        volumes.append({mountPoint, mount ? of(*mount, names) : ofShareFolder(mountPoint)});
    }
    return volumes;
}
