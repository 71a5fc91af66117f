#include "process/processors.h"

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <climits>
#include <optional>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

namespace {

// The files read here are a few bytes long; a longer one is not what it should be.
constexpr qsizetype kLongestRead = 4096;

std::optional<QByteArray> readSmallFile(const char* path)
{
    const int file = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (file < 0)
        return std::nullopt;
    QByteArray content(kLongestRead, Qt::Uninitialized);
    const ssize_t got = read(file, content.data(), size_t(content.size()));
    close(file);
    if (got < 0 || got == kLongestRead)
        return std::nullopt;
    content.truncate(got);
    return content;
}

int affinityCount()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0)
        return 1;
    return std::max(1, CPU_COUNT(&set));
}

// The process's cgroup (version 2: the line "0::/PATH"), or nothing.
std::optional<QByteArray> ownCgroup()
{
    const std::optional<QByteArray> content = readSmallFile("/proc/self/cgroup");
    if (!content)
        return std::nullopt;
    for (const QByteArray& line : content->split('\n')) {
        if (line.startsWith("0::/") && !line.contains("/../") && !line.endsWith("/.."))
            return line.sliced(3);
    }
    return std::nullopt;
}

// The smallest quota along the path from the cgroup up to the root: each one's limit holds
// for everything below it.
int cgroupQuota()
{
    const std::optional<QByteArray> cgroup = ownCgroup();
    if (!cgroup)
        return 0;
    int quota = 0;
    QByteArray folder = *cgroup;
    for (;;) {
        const QByteArray path = "/sys/fs/cgroup" + (folder == "/" ? QByteArray() : folder) + "/cpu.max";
        if (const std::optional<QByteArray> cpuMax = readSmallFile(path.constData())) {
            if (const int here = Processors::quotaOf(*cpuMax); here > 0)
                quota = quota > 0 ? std::min(quota, here) : here;
        }
        if (folder == "/")
            return quota;
        folder.truncate(std::max<qsizetype>(1, folder.lastIndexOf('/')));
    }
}

} // namespace

int Processors::quotaOf(QByteArrayView cpuMax)
{
    const QList<QByteArray> fields = cpuMax.toByteArray().simplified().split(' ');
    if (fields.size() != 2)
        return 0;
    bool quotaRead = false;
    bool periodRead = false;
    const qlonglong quota = fields[0].toLongLong(&quotaRead);
    const qlonglong period = fields[1].toLongLong(&periodRead);
    if (!quotaRead || !periodRead || quota <= 0 || period <= 0)
        return 0;
    return int(std::min<qlonglong>(INT_MAX, (quota + period - 1) / period));
}

int Processors::usable()
{
    const int quota = cgroupQuota();
    const int affinity = affinityCount();
    return quota > 0 ? std::min(affinity, quota) : affinity;
}
