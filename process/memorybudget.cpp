#include "process/memorybudget.h"

#include "process/kernelfiles.h"

#include <algorithm>
#include <limits>

#include <sys/resource.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <unistd.h>

namespace {

constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();

std::size_t left(std::size_t limit, std::size_t used) { return limit > used ? limit - used : 0; }

std::size_t limitOf(int resource)
{
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return kUnlimited;
    return std::size_t(limit.rlim_cur);
}

// What the address space limits leave, by /proc/self/statm: its first figure is the
// address space in pages, its sixth the data and stack.
std::size_t leftByLimits()
{
    const QList<QByteArray> pages = KernelFiles::readSmall("/proc/self/statm").split(' ');
    if (pages.size() < 6)
        return kUnlimited;
    const auto pageSize = std::size_t(sysconf(_SC_PAGESIZE));
    return std::min(left(limitOf(RLIMIT_AS), pages[0].toULongLong() * pageSize),
                    left(limitOf(RLIMIT_DATA), pages[5].toULongLong() * pageSize));
}

// MemAvailable and SwapFree, in kB.
std::size_t leftInTheSystem()
{
    std::size_t kibibytes = 0;
    bool found = false;
    for (const QByteArray& line : KernelFiles::readSmall("/proc/meminfo").split('\n')) {
        if (line.startsWith("MemAvailable:") || line.startsWith("SwapFree:")) {
            kibibytes += line.mid(line.indexOf(':') + 1).trimmed().split(' ').value(0).toULongLong();
            found = true;
        }
    }
    return found ? kibibytes * 1024 : kUnlimited;
}

std::size_t leftInGroup(const QByteArray& group)
{
    bool limited = false;
    const std::size_t most = KernelFiles::readSmall(group + "/memory.max").trimmed().toULongLong(&limited);
    if (!limited)
        return kUnlimited;
    return left(most, std::size_t(KernelFiles::readSmall(group + "/memory.current").trimmed().toULongLong()));
}

// The process's control group and those above it, those with a limit of memory.
QList<QByteArray> limitingGroups()
{
    QList<QByteArray> groups;
    for (const QByteArray& group : KernelFiles::ownCgroupFolders()) {
        if (leftInGroup(group) != kUnlimited)
            groups.append(group);
    }
    return groups;
}

} // namespace

MemoryBudget::MemoryBudget()
    : m_limitingGroups(limitingGroups())
{
}

std::size_t MemoryBudget::headroom() const
{
    std::size_t least = std::min(leftByLimits(), leftInTheSystem());
    for (const QByteArray& group : m_limitingGroups)
        least = std::min(least, leftInGroup(group));
    return least;
}

bool MemoryBudget::grew(std::size_t bytes)
{
    if (m_exhausted)
        return false;
    if (m_sinceLook.fetch_add(bytes) + bytes < kLookEvery)
        return true;
    const std::unique_lock looking(m_looking, std::try_to_lock);
    if (!looking.owns_lock())
        return !m_exhausted;
    m_grown += m_sinceLook.exchange(0);
    if (headroom() < kLeastLeft + m_grown / 4)
        m_exhausted = true;
    return !m_exhausted;
}

void MemoryBudget::handBackFreed()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}
