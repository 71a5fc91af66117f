#include "process/openfilebudget.h"

#include <algorithm>
#include <climits>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Counted in /proc, whose listing of them takes one descriptor more for the moment. Where
// that cannot be read, a few are taken to be open, as in a process that has just started.
int openDescriptors()
{
    constexpr int kGuess = 16;
    const int listing = open("/proc/self/fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return kGuess;
    int count = 0;
    alignas(dirent64) char buffer[4096];
    for (ssize_t filled; (filled = getdents64(listing, buffer, sizeof buffer)) > 0;) {
        for (ssize_t offset = 0; offset < filled;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + offset);
            offset += entry->d_reclen;
            if (entry->d_name[0] != '.')
                ++count;
        }
    }
    close(listing);
    return std::max(count - 1, 0);
}

} // namespace

OpenFileBudget::OpenFileBudget()
{
    if (getrlimit(RLIMIT_NOFILE, &m_before) != 0)
        return;
    rlimit limit = m_before;
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        m_raised = setrlimit(RLIMIT_NOFILE, &limit) == 0;
        if (!m_raised)
            limit = m_before;
    }
    const rlim_t most = limit.rlim_cur == RLIM_INFINITY ? rlim_t(INT_MAX) : std::min(limit.rlim_cur, rlim_t(INT_MAX));
    m_descriptors = std::max(int(most) - openDescriptors() - kWriteReserve, 0);
}

void OpenFileBudget::makeRoomFor(int more)
{
    const int any = open("/", O_PATH | O_CLOEXEC);
    if (any < 0)
        return;
    // A copy placed that far up grows the table to hold it; the table never shrinks.
    const int far = fcntl(any, F_DUPFD_CLOEXEC, any + std::max(more, 0));
    if (far >= 0)
        close(far);
    close(any);
}

OpenFileBudget::~OpenFileBudget()
{
    if (m_raised)
        setrlimit(RLIMIT_NOFILE, &m_before);
}
