#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>

// What the host has mounted where, read once from /proc/self/mountinfo.
class MountTable {
public:
    static const MountTable& system();
    static MountTable fromMountInfo(const QByteArray& mountInfo);

    // Mount points of extra volumes (under /media, /run/media, /mnt), sorted.
    const QList<QByteArray>& volumeMountPoints() const { return m_volumes; }

    // Pseudo file systems (proc, sysfs, ...) hold no real files; folder lists leave their
    // mount points out so that every walk ends.
    bool isPseudoMountPoint(const QByteArray& hostPath) const { return m_pseudo.contains(hostPath); }
    bool hasPseudoMountBelow(const QByteArray& hostFolder) const { return m_pseudoParents.contains(hostFolder); }

private:
    QList<QByteArray> m_volumes;
    QSet<QByteArray> m_pseudo;
    QSet<QByteArray> m_pseudoParents;
};
