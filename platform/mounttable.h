#pragma once

#include <QByteArray>
#include <QList>

// What the host has mounted where, read once from /proc/self/mountinfo.
class MountTable {
public:
    static const MountTable& system();
    static MountTable fromMountInfo(const QByteArray& mountInfo);

    // Mount points of extra volumes (under /media, /run/media, /mnt), sorted.
    const QList<QByteArray>& volumeMountPoints() const { return m_volumes; }

private:
    QList<QByteArray> m_volumes;
};
