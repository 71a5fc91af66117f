#pragma once

#include <mutex>

#include <pthread.h>

// A lock that threads meeting often hold only briefly: one that finds it taken tries again
// for a moment before it sleeps, as the holder is most likely done by then. A plain mutex
// would have both sides call into the kernel instead (to sleep, and to wake the sleeper),
// which costs many times the few lines it guards: a walk and its reader meet at their lock
// a hundred thousand times. Works with std::unique_lock and std::lock_guard; BriefLockWait
// is its condition variable.
class BriefLock {
public:
    BriefLock();
    ~BriefLock();
    BriefLock(const BriefLock&) = delete;
    BriefLock& operator=(const BriefLock&) = delete;

    void lock();
    void unlock();
    bool try_lock();

private:
    friend class BriefLockWait;
    pthread_mutex_t m_mutex;
};

class BriefLockWait {
public:
    BriefLockWait();
    ~BriefLockWait();
    BriefLockWait(const BriefLockWait&) = delete;
    BriefLockWait& operator=(const BriefLockWait&) = delete;

    // As std::condition_variable's: the lock is given up while waiting, held again after.
    void wait(std::unique_lock<BriefLock>& lock);
    template <typename Predicate>
    void wait(std::unique_lock<BriefLock>& lock, Predicate done)
    {
        while (!done())
            wait(lock);
    }
    void notify_one();
    void notify_all();

private:
    pthread_cond_t m_condition;
};
