#include "mounts/neverwalkedmounts.h"

#include "mounts/filesystemtypes.h"
#include "support/hostmounts.h"
#include "support/privatemounts.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

// Only folders named like a mount point of a file system never walked are looked at, and
// a device is judged by the table's type for it.
TEST(NeverWalkedMounts, MountPointNamesAndDevicesComeFromTheTable)
{
    const NeverWalkedMounts mounts(MountTable::fromMountInfo(
        "21 26 0:20 / /proc rw,relatime - proc proc rw\n"
        "25 23 0:23 / /dev/pts rw,relatime - devpts devpts rw,mode=600\n"
        "26 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
        "27 26 0:24 / /tmp rw,relatime - tmpfs tmpfs rw\n"
        "28 26 0:25 / /net rw,relatime - autofs systemd-1 rw\n"));
    const struct {
        const char* name;
        bool mayBe;
    } names[] = {{"proc", true}, {"pts", true}, {"net", true}, {"tmp", false}, {"Daten", false}, {"", false}};
    for (const auto& c : names)
        EXPECT_EQ(mounts.mayBeMountPoint(c.name), c.mayBe) << c.name;

    const struct {
        dev_t device;
        bool never;
    } devices[] = {{makedev(0, 20), true}, {makedev(0, 25), true}, {makedev(254, 0), false}, {makedev(0, 24), false}};
    for (const auto& c : devices)
        EXPECT_EQ(mounts.isNeverWalked(c.device, AT_FDCWD, "/", 0), c.never) << major(c.device) << ':' << minor(c.device);
    // A device the table does not know is asked about on the host: /proc is proc.
    EXPECT_TRUE(mounts.isNeverWalked(makedev(0, 999), AT_FDCWD, "/proc", 0));
    EXPECT_FALSE(mounts.isNeverWalked(makedev(0, 999), AT_FDCWD, "/", 0));
}

// A device the table does not know is judged by what statfs reports: on every mount of
// this host that answers, and every kind it lets a test mount, that must say what the
// mount's type says.
TEST(NeverWalkedMounts, AnUnknownDeviceIsJudgedAsItsTypeNameIs)
{
    QTemporaryDir folder;
    std::vector<QByteArray> mounted;
    // The folders can be removed only once nothing is mounted on them.
    const auto unmount = qScopeGuard([&] {
        for (const QByteArray& target : mounted)
            umount2(target.constData(), MNT_DETACH);
    });
    if (PrivateMounts::missingForTheProgram().isEmpty()) {
        for (const char* type : {"proc", "sysfs", "tmpfs", "ramfs", "mqueue", "debugfs", "tracefs", "securityfs", "bpf",
                                 "pstore", "hugetlbfs", "binfmt_misc", "fusectl", "configfs", "cgroup2", "rpc_pipefs",
                                 "nfsd", "binder", "resctrl"}) {
            const QByteArray target = QFile::encodeName(folder.path()) + '/' + type;
            if (mkdir(target.constData(), 0755) == 0 && mount(type, target.constData(), type, 0, nullptr) == 0)
                mounted.push_back(target);
        }
    }
    const NeverWalkedMounts withoutTable;
    int neverWalked = 0;
    for (const MountTable::Mount& mount : HostMounts::answering()) {
        const bool never = FileSystemTypes::isNeverWalked(mount.fileSystemType);
        EXPECT_EQ(withoutTable.isNeverWalked(0, AT_FDCWD, mount.mountPoint.constData(), 0), never)
            << mount.fileSystemType.constData() << " on " << mount.mountPoint.constData();
        neverWalked += never;
    }
    EXPECT_GT(neverWalked, 0) << "not even /proc was looked at";
}

bool becomesTrue(const std::function<bool()>& condition)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= giveUp)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Two runs at once share the process's one watch of the mount table, and each sees a file
// system never walked once it is mounted, and no longer once it is gone.
TEST(CurrentMounts, EveryRunFollowsMountsMadeAndRemovedWhileItGoes)
{
    QTemporaryDir folder;
    const QByteArray target = QFile::encodeName(folder.path()) + "/korvale-proc";
    ASSERT_EQ(mkdir(target.constData(), 0755), 0);
    CurrentMounts first;
    CurrentMounts second;
    ASSERT_FALSE(first.now()->mayBeMountPoint("korvale-proc"));
    if (mount("proc", target.constData(), "proc", 0, nullptr) != 0)
        GTEST_SKIP() << "mounting proc on a test folder needs root";
    const auto unmount = qScopeGuard([&] { umount2(target.constData(), MNT_DETACH); });
    for (CurrentMounts* run : {&first, &second})
        EXPECT_TRUE(becomesTrue([run] { return run->now()->mayBeMountPoint("korvale-proc"); }));
    ASSERT_EQ(umount2(target.constData(), MNT_DETACH), 0);
    for (CurrentMounts* run : {&first, &second})
        EXPECT_TRUE(becomesTrue([run] { return !run->now()->mayBeMountPoint("korvale-proc"); }));
}

} // namespace
