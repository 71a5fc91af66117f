#include "support/hostmounts.h"

#include "process/childprobe.h"

#include <QHash>

#include <iostream>

namespace HostMounts {

QList<MountTable::Mount> answering(const MountTable& table)
{
    QHash<QByteArray, MountTable::Mount> onTop;
    for (const MountTable::Mount& mount : table.mounts())
        onTop.insert(mount.mountPoint, mount);
    QList<MountTable::Mount> found;
    for (const MountTable::Mount& mount : std::as_const(onTop)) {
        if (ChildProbe::ask(ChildProbe::fileSystemAnswers, mount.mountPoint, std::chrono::seconds(1)) == true)
            found.append(mount);
        else
            std::cerr << "left out, it does not answer: " << mount.mountPoint.constData() << '\n';
    }
    return found;
}

} // namespace HostMounts
