#include "platform/mounttable.h"

#include <QFile>
#include <QSet>

#include <algorithm>

namespace {

// File systems that hold no files of a person's: never a drive of their own.
const QSet<QByteArray>& pseudoFileSystemTypes()
{
    static const QSet<QByteArray> types = {
        "proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "debugfs", "tracefs",
        "securityfs", "pstore", "bpf", "configfs", "fusectl", "hugetlbfs", "mqueue",
        "binfmt_misc", "autofs", "efivarfs", "selinuxfs", "nsfs", "rpc_pipefs",
    };
    return types;
}

// mountinfo writes blanks, tabs, newlines and backslashes in paths as octal escapes.
QByteArray unescapeMountPath(const QByteArray& field)
{
    QByteArray path;
    path.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int value = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                path.append(char(value));
                i += 3;
                continue;
            }
        }
        path.append(field[i]);
    }
    return path;
}

bool isVolumeMountPoint(const QByteArray& path)
{
    for (const char* base : {"/media/", "/run/media/", "/mnt/"}) {
        if (path.startsWith(base) && path.size() > qsizetype(qstrlen(base)))
            return true;
    }
    return false;
}

} // namespace

const MountTable& MountTable::system()
{
    static const MountTable table = [] {
        QFile file(QStringLiteral("/proc/self/mountinfo"));
        return file.open(QIODevice::ReadOnly) ? fromMountInfo(file.readAll()) : MountTable();
    }();
    return table;
}

MountTable MountTable::fromMountInfo(const QByteArray& mountInfo)
{
    MountTable table;
    for (const QByteArray& line : mountInfo.split('\n')) {
        // Fields: id parent major:minor root mount-point options [optional...] - type source ...
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (fields.size() < 5 || dash < 0 || dash + 1 >= fields.size())
            continue;
        const QByteArray mountPoint = unescapeMountPath(fields[4]);
        const QByteArray& type = fields[dash + 1];
        if (!pseudoFileSystemTypes().contains(type) && isVolumeMountPoint(mountPoint)
            && !table.m_volumes.contains(mountPoint)) {
            table.m_volumes.append(mountPoint);
        }
    }
    std::sort(table.m_volumes.begin(), table.m_volumes.end());
    return table;
}
