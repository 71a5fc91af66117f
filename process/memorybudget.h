#pragma once

#include <QByteArray>
#include <QList>

#include <atomic>
#include <cstddef>
#include <mutex>

// How much more memory a run may take. A run whose lists outgrow what the process may use
// is ended by the system: by a failed allocation, or by the kernel's out-of-memory killer,
// which no program can answer, and the window and the session's options go with it. So the
// run weighs its growth against the limits it has: its address space (RLIMIT_AS) and data
// (RLIMIT_DATA), its control group's memory.max, and what the system has to give
// (MemAvailable and free swap). Where less is left than the sort and the write will need,
// the run ends as failed, saying so, and the old list stays.
class MemoryBudget {
public:
    MemoryBudget();
    MemoryBudget(const MemoryBudget&) = delete;
    MemoryBudget& operator=(const MemoryBudget&) = delete;

    // The run's lists grew by about so many bytes; false once too little is left. The host
    // is asked only every kLookEvery bytes. Safe on any thread.
    bool grew(std::size_t bytes);
    bool isExhausted() const { return m_exhausted; }
    // An allocation failed even so.
    void exhaust() { m_exhausted = true; }

    static constexpr std::size_t kLookEvery = std::size_t(8) << 20;
    // Kept free beyond a quarter of what the run has grown by: the sort, the write and
    // the window showing the list need room of their own.
    static constexpr std::size_t kLeastLeft = std::size_t(32) << 20;

    // What the process may still take, as the host says now: the least of its limits.
    std::size_t headroom() const;

    // Hands memory the process freed back to the system. Threads that ended keep what they
    // freed in heaps of their own, where nothing else takes it again, and the system
    // counts it as the process's until it is handed back.
    static void handBackFreed();

private:
    std::atomic<std::size_t> m_sinceLook = 0;
    std::atomic<bool> m_exhausted = false;
    std::mutex m_looking;
    std::size_t m_grown = 0;
    // The control groups the process is in that limit memory, innermost first.
    QList<QByteArray> m_limitingGroups;
};
