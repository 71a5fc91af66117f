#include "platform/mounttable.h"

#include <gtest/gtest.h>

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
    "broken line\n"
    "\n";

TEST(MountTable, VolumesUnderMediaAndMntAreSortedOnceEach)
{
    const MountTable table = MountTable::fromMountInfo(kMountInfo);
    EXPECT_EQ(table.volumeMountPoints(), QList<QByteArray>({
        "/media/user/Alpha",
        "/media/user/USB STICK",
        "/mnt/ram",
        "/mnt/zusatz",
        "/run/media/user/Backup",
    }));
}

TEST(MountTable, EscapedCharactersInAMountPointAreRestored)
{
    const MountTable table = MountTable::fromMountInfo(
        "50 26 8:1 / /mnt/a\\040b\\011c\\134d rw - ext4 /dev/sdf1 rw\n"
        "51 26 0:5 / /srv/x\\040y rw - proc proc rw\n");
    EXPECT_EQ(table.volumeMountPoints(), QList<QByteArray>({"/mnt/a b\tc\\d"}));
}

TEST(MountTable, EmptyInfoGivesNoVolumes)
{
    EXPECT_TRUE(MountTable::fromMountInfo("").volumeMountPoints().isEmpty());
}

} // namespace
