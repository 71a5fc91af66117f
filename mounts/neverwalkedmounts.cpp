#include "mounts/neverwalkedmounts.h"

#include "mounts/filesystemtypes.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

constexpr long kLookEveryNanoseconds = 100'000'000;

// The coarse clock is read without entering the kernel.
timespec coarseNow()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return now;
}

bool isBefore(const timespec& a, const timespec& b)
{
    return a.tv_sec != b.tv_sec ? a.tv_sec < b.tv_sec : a.tv_nsec < b.tv_nsec;
}

timespec later(timespec time, long nanoseconds)
{
    time.tv_nsec += nanoseconds;
    time.tv_sec += time.tv_nsec / 1'000'000'000;
    time.tv_nsec %= 1'000'000'000;
    return time;
}

} // namespace

NeverWalkedMounts::NeverWalkedMounts(MountTable table)
    : m_table(std::move(table))
{
    for (const MountTable::Mount& mount : m_table.mounts()) {
        const QByteArray name = mount.mountPoint.mid(mount.mountPoint.lastIndexOf('/') + 1);
        if (FileSystemTypes::isNeverWalked(mount.fileSystemType))
            m_mountPointNames.insert(name);
        if (!name.isEmpty())
            m_allMountPointNames.insert(name);
        m_mountPoints.insert(mount.mountPoint);
    }
}

std::shared_ptr<const NeverWalkedMounts> NeverWalkedMounts::readNow()
{
    return std::make_shared<const NeverWalkedMounts>(MountTable::read());
}

bool NeverWalkedMounts::mayBeMountPoint(std::string_view name) const
{
    Q_ASSERT(name.find('/') == std::string_view::npos);
    return !m_mountPointNames.isEmpty()
        && m_mountPointNames.contains(QByteArray::fromRawData(name.data(), qsizetype(name.size())));
}

bool NeverWalkedMounts::isMountPointName(std::string_view name) const
{
    return m_allMountPointNames.contains(QByteArray::fromRawData(name.data(), qsizetype(name.size())));
}

bool NeverWalkedMounts::isMountPoint(const QByteArray& hostPath) const { return m_mountPoints.contains(hostPath); }

bool NeverWalkedMounts::isNeverWalked(dev_t device, int folder, const char* name, int flags) const
{
    Q_ASSERT(flags == 0 || flags == O_NOFOLLOW);
    if (const std::optional<QByteArray> type = m_table.fileSystemTypeOf(device))
        return FileSystemTypes::isNeverWalked(*type);
    // O_PATH without O_DIRECTORY does not set off an automount.
    const int opened = openat(folder, name, O_PATH | O_CLOEXEC | flags);
    if (opened < 0)
        return false;
    struct statfs fileSystem;
    const bool never
        = fstatfs(opened, &fileSystem) == 0 && FileSystemTypes::isNeverWalkedMagic(std::uint32_t(fileSystem.f_type));
    close(opened);
    return never;
}

CurrentMounts::CurrentMounts()
    : m_mountInfo(open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC))
    , m_mounts(NeverWalkedMounts::readNow())
    , m_nextLook(later(coarseNow(), kLookEveryNanoseconds))
{
}

CurrentMounts::~CurrentMounts()
{
    if (m_mountInfo >= 0)
        close(m_mountInfo);
}

// Read through the file it watches, the table needs no file more: where the process may
// open none, the walk keeps knowing which folders are never walked.
std::shared_ptr<const NeverWalkedMounts> CurrentMounts::now()
{
    if (changed()) {
        if (std::optional<MountTable> table = MountTable::readFrom(m_mountInfo))
            m_mounts = std::make_shared<const NeverWalkedMounts>(std::move(*table));
    }
    return m_mounts;
}

// Looking clears the mark, so a change is reported once; one made while the table is read
// anew is reported at the next look.
bool CurrentMounts::changed()
{
    const timespec now = coarseNow();
    if (m_mountInfo < 0 || isBefore(now, m_nextLook))
        return false;
    m_nextLook = later(now, kLookEveryNanoseconds);
    pollfd watch{m_mountInfo, POLLPRI, 0};
    return poll(&watch, 1, 0) > 0 && (watch.revents & (POLLPRI | POLLERR)) != 0;
}
