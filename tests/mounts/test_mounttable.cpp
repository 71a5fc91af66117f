#include "mounts/filesystemtypes.h"
#include "mounts/mounttable.h"
#include "mounts/sharefolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

const QByteArray kMountInfo =
    "21 26 0:20 / /proc rw,relatime - proc proc rw\n"
    "22 26 0:21 / /sys rw,relatime shared:7 - sysfs sysfs rw\n"
    "23 26 0:6 / /dev rw,relatime - devtmpfs devtmpfs rw,mode=755\n"
    "25 23 0:23 / /dev/pts rw,relatime - devpts devpts rw,mode=600\n"
    "26 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
    "27 26 0:24 / /tmp rw,relatime - tmpfs tmpfs rw\n"
    "30 22 0:27 / /sys/fs/cgroup rw,relatime - cgroup2 cgroup2 rw\n"
    "40 26 8:17 / /mnt/zusatz rw,relatime shared:40 master:3 - ext4 /dev/sdb1 rw\n"
    "41 26 8:33 / /media/user/USB\\040STICK rw,relatime - vfat /dev/sdc1 rw\n"
    "42 26 8:34 / /run/media/user/Backup rw,relatime - ext4 /dev/sdd1 rw\n"
    "43 26 8:35 / /media/user/Alpha rw,relatime - ext4 /dev/sde1 rw\n"
    "44 26 0:50 / /mnt/ram rw,relatime - tmpfs tmpfs rw\n"
    "45 26 8:17 / /mnt/zusatz rw,relatime - ext4 /dev/sdb1 rw\n"
    "46 26 8:18 / /srv/daten rw,relatime - ext4 /dev/sdb2 rw\n"
    "47 26 0:51 / /media/proc rw,relatime - proc proc rw\n"
    "48 26 0:52 / /srv/nas rw,relatime - nfs4 nas:/export rw\n"
    "49 26 0:53 / /home rw,relatime - nfs4 nas:/home rw\n"
    "50 26 0:54 / /home/anna/Server rw,relatime - fuse.sshfs anna@server: rw\n"
    "51 26 7:1 / /snap/core/123 ro,relatime - squashfs /dev/loop1 ro\n"
    "52 26 0:55 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
    "53 26 0:56 / /run/user/1000/kio-fuse-Ab12 rw - fuse.kio-fuse kio-fuse rw\n"
    "54 26 0:57 / /var/lib/docker/volumes/x rw - cifs //nas/docker rw\n"
    "57 26 0:60 / /home/anna/.cache/sync rw - fuse.rclone remote: rw\n"
    "55 26 0:58 / /mnt/gestapelt rw - ext4 /dev/sdf1 rw\n"
    "56 55 0:59 / /mnt/gestapelt rw - tmpfs tmpfs rw\n"
    "broken line\n"
    "1 2 x:y / /mnt/kaputt rw - ext4 /dev/sdz rw\n"
    "\n";

TEST(MountTable, EachMountKeepsItsPlaceDeviceTypeAndSource)
{
    const MountTable table = MountTable::fromMountInfo(kMountInfo);
    ASSERT_EQ(table.mounts().size(), 25);
    const MountTable::Mount& stick = table.mounts().at(8);
    EXPECT_EQ(stick.mountPoint, "/media/user/USB STICK");
    EXPECT_EQ(stick.device, makedev(8, 33));
    EXPECT_EQ(stick.fileSystemType, "vfat");
    EXPECT_EQ(stick.source, "/dev/sdc1");

    const MountTable escaped = MountTable::fromMountInfo(
        "50 26 8:1 / /mnt/a\\040b\\011c\\134d rw - ext4 /dev/disk\\040x rw\n"
        "51 26 0:5 / /srv/x\\040y\\777 rw - proc proc rw\n");
    EXPECT_EQ(escaped.mounts().at(0).mountPoint, "/mnt/a b\tc\\d");
    EXPECT_EQ(escaped.mounts().at(0).source, "/dev/disk x");
    EXPECT_EQ(escaped.mounts().at(1).mountPoint, "/srv/x y\\777");
    EXPECT_TRUE(MountTable::fromMountInfo("").mounts().isEmpty());
}

TEST(MountTable, TypeOfADeviceNumber)
{
    const MountTable table = MountTable::fromMountInfo(kMountInfo);
    const std::pair<dev_t, std::optional<QByteArray>> cases[] = {
        {makedev(0, 20), "proc"},      {makedev(254, 0), "ext4"},   {makedev(0, 24), "tmpfs"},
        {makedev(0, 54), "fuse.sshfs"}, {makedev(8, 17), "ext4"},    {makedev(0, 59), "tmpfs"},
        {makedev(0, 99), std::nullopt}, {makedev(99, 0), std::nullopt},
    };
    for (const auto& [device, type] : cases)
        EXPECT_EQ(table.fileSystemTypeOf(device), type) << major(device) << ':' << minor(device);
}

TEST(MountTable, DisksBelowMediaAndMntAndNetworkSharesAnywhereAreVolumes)
{
    EXPECT_EQ(MountTable::fromMountInfo(kMountInfo).volumeMountPoints(), QList<QByteArray>({
        "/home/anna/Server",
        "/media/user/Alpha",
        "/media/user/USB STICK",
        "/mnt/zusatz",
        "/run/media/user/Backup",
        "/run/user/1000/kio-fuse-Ab12",
        "/srv/nas",
    }));
}

TEST(MountTable, ShareFolderOnlyWhereTheShareHelperIsMounted)
{
    const MountTable table = MountTable::fromMountInfo(kMountInfo);
    EXPECT_EQ(table.shareFolder(1000), QByteArray("/run/user/1000/gvfs"));
    EXPECT_EQ(table.shareFolder(1001), std::nullopt);
}

TEST(MountTable, DeviceNumbersOfTheLiveTableAreThoseStatReports)
{
    const MountTable table = MountTable::read();
    const std::pair<const char*, QByteArray> cases[] = {{"/proc", "proc"}, {"/sys", "sysfs"}};
    for (const auto& [path, type] : cases) {
        struct stat info;
        ASSERT_EQ(stat(path, &info), 0) << path;
        EXPECT_EQ(table.fileSystemTypeOf(info.st_dev), std::optional(type)) << path;
    }
}

TEST(ShareFolder, EachVisibleFolderIsAShare)
{
    QTemporaryDir helper;
    for (const char* name : {"smb-share:server=nas,share=daten", "sftp:host=server", ".versteckt"})
        QDir(helper.path()).mkdir(QString::fromUtf8(name));
    QFile(helper.filePath(QStringLiteral("datei"))).open(QIODevice::WriteOnly);
    const QByteArray folder = QFile::encodeName(helper.path());
    const QList<QByteArray> expected = {folder + "/sftp:host=server", folder + "/smb-share:server=nas,share=daten"};
    EXPECT_EQ(ShareFolder::shares(folder), expected);
    EXPECT_EQ(ShareFolder::sharesWithin(folder, std::chrono::seconds(10)), std::optional(expected));
    EXPECT_TRUE(ShareFolder::shares(folder + "/fehlt").isEmpty());
}

TEST(FileSystemTypes, WalkedLetteredAndShared)
{
    const struct {
        const char* type;
        bool walked;
        bool lettered;
        bool share;
    } cases[] = {
        {"ext4", true, true, false},          {"vfat", true, true, false},
        {"proc", false, false, false},        {"cgroup2", false, false, false},
        {"autofs", false, false, false},      {"mqueue", false, false, false},
        {"tmpfs", true, false, false},        {"overlay", true, false, false},
        {"squashfs", true, false, false},     {"devtmpfs", true, false, false},
        {"fuse.gvfsd-fuse", true, false, false}, {"fuse.snapfuse", true, false, false},
        {"nfs4", true, true, true},           {"cifs", true, true, true},
        {"fuse.sshfs", true, true, true},     {"fuse.kio-fuse", true, true, true},
        {"fuse.sshfs2", true, true, false},   {"", true, true, false},
        {"rpc_pipefs", false, false, false},  {"smackfs", false, false, false},
        {"binder", false, false, false},      {"resctrl", false, false, false},
    };
    for (const auto& [type, walked, lettered, share] : cases) {
        EXPECT_EQ(!FileSystemTypes::isNeverWalked(type), walked) << type;
        EXPECT_EQ(!FileSystemTypes::isNeverGivenALetter(type), lettered) << type;
        EXPECT_EQ(FileSystemTypes::isNetworkShare(type), share) << type;
    }
}

// For a device the mount table does not know yet, the walk has only the magic number.
TEST(FileSystemTypes, MagicNumbersAreNeverWalkedAsTheirNamesAre)
{
    const std::pair<std::uint32_t, bool> cases[] = {
        {PROC_SUPER_MAGIC, true},       {CGROUP2_SUPER_MAGIC, true},  {SMACK_MAGIC, true},
        {BINDERFS_SUPER_MAGIC, true},   {RDTGROUP_SUPER_MAGIC, true}, {AUTOFS_SUPER_MAGIC, true},
        {TMPFS_MAGIC, false},           {RAMFS_MAGIC, false},         {OVERLAYFS_SUPER_MAGIC, false},
        {EXT4_SUPER_MAGIC, false},      {FUSE_SUPER_MAGIC, false},    {0, false},
    };
    for (const auto& [magic, never] : cases)
        EXPECT_EQ(FileSystemTypes::isNeverWalkedMagic(magic), never) << std::hex << magic;
}

} // namespace
