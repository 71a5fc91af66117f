#include "mounts/neverwalkedmounts.h"

#include "mounts/filesystemtypes.h"

#include <fcntl.h>
#include <sys/vfs.h>
#include <unistd.h>

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
    : m_watch(MountWatch::shared())
    , m_changesRead(m_watch->changes())
    , m_mounts(NeverWalkedMounts::readNow())
{
}

// Read through the file the watch holds, the table needs no file more: where the process
// may open none, the walk keeps knowing which folders are never walked, and a table that
// cannot be read leaves the one read before.
std::shared_ptr<const NeverWalkedMounts> CurrentMounts::now()
{
    const quint64 changes = m_watch->changes();
    if (changes != m_changesRead) {
        if (std::optional<QByteArray> text = MountWatch::readTable()) {
            m_changesRead = changes;
            m_mounts = std::make_shared<const NeverWalkedMounts>(MountTable::fromMountInfo(*text));
        }
    }
    return m_mounts;
}
