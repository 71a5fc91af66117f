#include "process/processors.h"

#include "process/kernelfiles.h"

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <climits>

#include <sched.h>

namespace {

int affinityCount()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0)
        return 1;
    return std::max(1, CPU_COUNT(&set));
}

// The smallest quota along the path from the process's cgroup up to the root: each one's
// limit holds for everything below it.
int cgroupQuota()
{
    int quota = 0;
    for (const QByteArray& folder : KernelFiles::ownCgroupFolders()) {
        if (const int here = Processors::quotaOf(KernelFiles::readSmall(folder + "/cpu.max")); here > 0)
            quota = quota > 0 ? std::min(quota, here) : here;
    }
    return quota;
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
