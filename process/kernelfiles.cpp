#include "process/kernelfiles.h"

#include <fcntl.h>
#include <unistd.h>

namespace KernelFiles {

QByteArray readSmall(const QByteArray& path)
{
    const int file = open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return {};
    char buffer[4096];
    const ssize_t got = read(file, buffer, sizeof buffer);
    close(file);
    return got > 0 ? QByteArray(buffer, got) : QByteArray();
}

// The unified hierarchy's line of /proc/self/cgroup is "0::/user.slice/...".
QList<QByteArray> ownCgroupFolders()
{
    const QByteArray root = QByteArrayLiteral("/sys/fs/cgroup");
    QList<QByteArray> folders;
    for (const QByteArray& line : readSmall("/proc/self/cgroup").split('\n')) {
        const QByteArray group = line.mid(3).trimmed();
        if (!line.startsWith("0::/") || group.contains("/.."))
            continue;
        for (QByteArray folder = root + group; folder.size() > root.size(); folder.truncate(folder.lastIndexOf('/')))
            folders.append(folder);
    }
    return folders;
}

} // namespace KernelFiles
