#pragma once

#include "process/helperthread.h"

#include <QByteArray>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include <sys/types.h>

// /proc/self/mountinfo, the kernel's account of this process's mounts, is read and watched
// here alone. The kernel marks an open file of it whenever a mount comes or goes, and
// whoever polls that file clears the mark: a second descriptor polled elsewhere would keep
// the news from this one. So one watch, shared by all who want to know, holds the
// process's descriptor; a thread of its own waits on it and counts the changes. The
// window, a run and the command line's run each keep the count they last acted on, and
// compare.
class MountWatch {
public:
    // The watch of this process: made for its first holder, ended with its last.
    static std::shared_ptr<MountWatch> shared();
    ~MountWatch();
    MountWatch(const MountWatch&) = delete;
    MountWatch& operator=(const MountWatch&) = delete;

    // The changes seen since the watch began. It stays at 0 where the table cannot be
    // watched (no /proc, no thread to spare): then nobody learns of a change before they
    // read the table again anyway.
    quint64 changes() const { return m_changes.load(std::memory_order_acquire); }

    // listener runs on the watch's thread after each change is counted, and must only hand
    // the news on to where it is acted upon (post it to its own thread). Once
    // stopListening(id) returns, it runs no more.
    int listen(std::function<void()> listener);
    void stopListening(int id);

    // The table as it is now, cut at a size no real table reaches; nothing where it cannot
    // be read. While a watch lives it is read through the watched file (reading leaves the
    // change mark to the poll), so a process that may open no file more still reads it.
    static std::optional<QByteArray> readTable();

private:
    MountWatch();
    void watch();

    // The table read from its start through the watched file.
    std::optional<QByteArray> readWatched();

    pid_t m_process;
    int m_mountInfo = -1;
    // Held while the watched file is read, so that two readers' parts do not mix.
    std::mutex m_readMutex;
    int m_wake = -1;
    std::atomic<quint64> m_changes = 0;
    std::mutex m_listenersMutex;
    std::map<int, std::function<void()>> m_listeners;
    int m_nextListener = 0;
    HelperThread m_thread;
};
