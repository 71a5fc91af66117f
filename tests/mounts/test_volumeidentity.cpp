#include "mounts/volumeidentity.h"
#include "support/qtprinters.h"
#include "text/namecodec.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// A block device of this machine, for a mount whose source names it: the names are found
// by the device number a link leads to, so the test needs one that is real.
std::optional<std::pair<QByteArray, dev_t>> someBlockDevice()
{
    DIR* dev = opendir("/dev");
    if (!dev)
        return std::nullopt;
    std::optional<std::pair<QByteArray, dev_t>> found;
    while (const dirent* entry = readdir(dev)) {
        struct stat info;
        const QByteArray path = QByteArray("/dev/") + entry->d_name;
        if (!found && lstat(path.constData(), &info) == 0 && S_ISBLK(info.st_mode))
            found = std::pair(path, info.st_rdev);
    }
    closedir(dev);
    return found;
}

TEST(VolumeIdentity, EachKindOfMountIsKnownByWhatStaysTheSame)
{
    const std::optional<std::pair<QByteArray, dev_t>> block = someBlockDevice();
    VolumeIdentity::DiskNames names;
    names.uuids = {{makedev(8, 17), "0A1B-2C3D"}, {makedev(0, 40), "aaaa-bbbb"}};
    names.labels = {{makedev(8, 17), "NEBENBEI"}, {makedev(8, 33), "USB STICK"}, {makedev(8, 49), "Fotos\xff"}};
    if (block)
        names.uuids.insert(block->second, "b7f0-btrfs");
    const QByteArray blockSource = block ? block->first : QByteArray("/dev/none");

    const struct {
        const char* what;
        QByteArray line;
        QString identity;
    } cases[] = {
        {"a disk by its UUID, before its label", "40 26 8:17 / /mnt/zusatz rw - ext4 /dev/sdb1 rw",
         QStringLiteral("uuid:0A1B-2C3D")},
        {"a folder of it bound elsewhere", "41 26 8:17 /Daten/alt /mnt/alt rw - ext4 /dev/sdb1 rw",
         QStringLiteral("uuid:0A1B-2C3D/Daten/alt")},
        {"a stick with a label only", "42 26 8:33 / /media/anna/USB\\040STICK rw - vfat /dev/sdc1 rw",
         QStringLiteral("label:USB STICK")},
        {"a label that is no UTF-8", "43 26 8:49 / /media/anna/x rw - vfat /dev/sdd1 rw",
         QStringLiteral("label:") + NameCodec::decode("Fotos\xff")},
        {"a disk with neither, by its source", "44 26 8:65 / /mnt/alt rw - ext2 /dev/korvale-keins rw",
         QStringLiteral("source:/dev/korvale-keins")},
        {"a network share, even on a device number that has a UUID", "45 26 0:40 / /srv/nas rw - nfs4 nas:/export rw",
         QStringLiteral("source:nas:/export")},
        {"a part of a share", "46 26 0:41 /fotos /mnt/fotos rw - nfs4 nas:/export rw",
         QStringLiteral("source:nas:/export/fotos")},
        {"a share by a FUSE helper", "47 26 0:42 / /home/anna/Server rw - fuse.sshfs anna@server: rw",
         QStringLiteral("source:anna@server:")},
        {"KDE's shares, whose folder changes at every login",
         "48 26 0:43 / /run/user/1000/kio-fuse-Ab12 rw - fuse.kio-fuse kio-fuse rw", QStringLiteral("share:kio-fuse")},
        {"nothing to go by but the mount point", "49 26 0:44 / /mnt/leer rw - ext4 none rw",
         QStringLiteral("path:/mnt/leer")},
        {"a btrfs subvolume, whose device number is its own",
         "50 26 0:45 /@home /mnt/home rw - btrfs " + blockSource + " rw",
         block ? QStringLiteral("uuid:b7f0-btrfs/@home") : QStringLiteral("source:/dev/none/@home")},
    };
    for (const auto& [what, line, identity] : cases) {
        const MountTable table = MountTable::fromMountInfo(line + '\n');
        ASSERT_EQ(table.mounts().size(), 1) << what;
        EXPECT_EQ(VolumeIdentity::of(table.mounts().first(), names), identity) << what;
    }
    EXPECT_EQ(VolumeIdentity::ofShareFolder("/run/user/1000/gvfs/smb-share:server=nas,share=daten"),
              QStringLiteral("share:smb-share:server=nas,share=daten"));
}

TEST(VolumeIdentity, VolumesComeInMountPointOrderWithTheDesktopsShares)
{
    VolumeIdentity::DiskNames names;
    names.uuids = {{makedev(8, 17), "0A1B-2C3D"}};
    const MountTable table = MountTable::fromMountInfo("26 1 254:0 / / rw - ext4 /dev/vda rw\n"
                                                       "40 26 8:17 / /mnt/zusatz rw - ext4 /dev/sdb1 rw\n"
                                                       "41 26 8:18 / /mnt/zusatz rw - ext4 /dev/sdb2 rw\n"
                                                       "42 26 0:55 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n");
    const QList<MountedVolume> expected = {
        {"/mnt/zusatz", QStringLiteral("source:/dev/sdb2")}, // the mount on top is what a person sees
        {"/run/user/1000/gvfs/sftp:host=server", QStringLiteral("share:sftp:host=server")},
    };
    EXPECT_EQ(VolumeIdentity::volumes(table, {"/run/user/1000/gvfs/sftp:host=server"}, names), expected);
}

TEST(VolumeIdentity, DiskNamesAreTheLinksThatLeadToBlockDevices)
{
    const std::optional<std::pair<QByteArray, dev_t>> block = someBlockDevice();
    if (!block)
        GTEST_SKIP() << "this machine shows no block device in /dev";
    QTemporaryDir disk;
    const QByteArray root = QFile::encodeName(disk.path());
    ASSERT_TRUE(QDir(disk.path()).mkpath(QStringLiteral("by-uuid")) && QDir(disk.path()).mkpath(QStringLiteral("by-label")));
    QFile(disk.filePath(QStringLiteral("plain"))).open(QIODevice::WriteOnly);
    const auto makeLink = [&](const QByteArray& target, const QByteArray& name) {
        return symlink(target.constData(), (root + name).constData());
    };
    ASSERT_EQ(makeLink(block->first, "/by-uuid/0A1B-2C3D"), 0);
    ASSERT_EQ(makeLink(block->first, "/by-label/USB\\x20STICK"), 0);
    ASSERT_EQ(makeLink(root + "/plain", "/by-label/kein-Geraet"), 0);
    ASSERT_EQ(makeLink(root + "/fehlt", "/by-label/ins-Leere"), 0);

    const VolumeIdentity::DiskNames names = VolumeIdentity::DiskNames::read(root);
    EXPECT_EQ(names.uuids, (QHash<dev_t, QByteArray>{{block->second, "0A1B-2C3D"}}));
    EXPECT_EQ(names.labels, (QHash<dev_t, QByteArray>{{block->second, "USB STICK"}}));
    EXPECT_TRUE(VolumeIdentity::DiskNames::read(root + "/fehlt").uuids.isEmpty());
}

} // namespace
