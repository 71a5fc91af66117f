#include "support/smallfilesystem.h"

#include "support/privatemounts.h"

#include <sys/mount.h>

SmallFileSystem::SmallFileSystem(const QByteArray& mountPoint, const QByteArray& size, mode_t rootMode)
    : m_mountPoint(mountPoint)
{
    const QByteArray options = "size=" + size + ",mode=" + QByteArray::number(rootMode, 8);
    m_mounted = PrivateMounts::missingForTheProgram().isEmpty() && mount("tmpfs", m_mountPoint.constData(), "tmpfs", 0, options.constData()) == 0;
}

SmallFileSystem::~SmallFileSystem()
{
    if (m_mounted)
        umount2(m_mountPoint.constData(), MNT_DETACH);
}
