#include "mounts/mountwatch.h"

#include "process/signalpipe.h"

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

constexpr char kMountInfo[] = "/proc/self/mountinfo";

// Even a host with thousands of mounts has a table far below this; a larger one is cut
// here rather than read without end.
constexpr qsizetype kTableLimit = 16 * 1024 * 1024;

// The watch the process shares. Never destroyed: a call that may never return runs on a
// thread of its own that the program does not wait for when it exits (see StallableCall),
// and such a thread may still read the table while the exit runs.
struct Shared {
    std::mutex mutex;
    std::weak_ptr<MountWatch> watch;
};

Shared& sharedState()
{
    static Shared* const one = new Shared;
    return *one;
}

// The table from its start, read by offset so that no file position is shared.
std::optional<QByteArray> readFrom(int mountInfo)
{
    QByteArray text;
    char buffer[65536];
    while (text.size() < kTableLimit) {
        const ssize_t got = pread(mountInfo, buffer, sizeof buffer, off_t(text.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        text.append(buffer, got);
    }
    return text;
}

} // namespace

std::shared_ptr<MountWatch> MountWatch::shared()
{
    const std::lock_guard lock(sharedState().mutex);
    std::shared_ptr<MountWatch> watch = sharedState().watch.lock();
    // A child process forked meanwhile has the watch's memory, not its thread.
    if (!watch || watch->m_process != getpid()) {
        watch.reset(new MountWatch());
        sharedState().watch = watch;
    }
    return watch;
}

MountWatch::MountWatch()
    : m_process(getpid())
    , m_mountInfo(open(kMountInfo, O_RDONLY | O_CLOEXEC))
    , m_wake(eventfd(0, EFD_CLOEXEC))
{
    if (m_mountInfo < 0 || m_wake < 0)
        return;
    // Without a thread, changes go uncounted, as where there is no table to watch.
    m_thread.start("korvale-mounts", [this] { watch(); });
}

MountWatch::~MountWatch()
{
    if (m_thread.joinable()) {
        const quint64 one = 1;
        while (write(m_wake, &one, sizeof one) < 0 && errno == EINTR) {
        }
        m_thread.join();
    }
    if (m_wake >= 0)
        close(m_wake);
    if (m_mountInfo >= 0)
        close(m_mountInfo);
}

int MountWatch::listen(std::function<void()> listener)
{
    const std::lock_guard lock(m_listenersMutex);
    m_listeners.emplace(m_nextListener, std::move(listener));
    return m_nextListener++;
}

void MountWatch::stopListening(int id)
{
    const std::lock_guard lock(m_listenersMutex);
    m_listeners.erase(id);
}

// The file is always readable; only POLLPRI (with POLLERR) marks a change.
void MountWatch::watch()
{
    // A signal is for the thread that can act on it.
    SignalPipe::blockInThisThread();
    pollfd watched[] = {{m_mountInfo, POLLPRI, 0}, {m_wake, POLLIN, 0}};
    for (;;) {
        if (poll(watched, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (watched[1].revents != 0)
            return;
        if ((watched[0].revents & (POLLPRI | POLLERR)) == 0)
            continue;
        m_changes.fetch_add(1, std::memory_order_release);
        const std::lock_guard lock(m_listenersMutex);
        for (const auto& [id, listener] : m_listeners)
            listener();
    }
}

std::optional<QByteArray> MountWatch::readTable()
{
    std::shared_ptr<MountWatch> watch;
    {
        const std::lock_guard lock(sharedState().mutex);
        watch = sharedState().watch.lock();
    }
    if (watch && watch->m_process == getpid() && watch->m_mountInfo >= 0)
        return watch->readWatched();
    const int file = open(kMountInfo, O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return std::nullopt;
    std::optional<QByteArray> text = readFrom(file);
    close(file);
    return text;
}

std::optional<QByteArray> MountWatch::readWatched()
{
    const std::lock_guard lock(m_readMutex);
    return readFrom(m_mountInfo);
}
