#include "process/brieflock.h"

#include <system_error>

BriefLock::BriefLock()
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    // The C library's kind that tries again for a moment before it sleeps.
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_ADAPTIVE_NP);
    pthread_mutex_init(&m_mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

BriefLock::~BriefLock() { pthread_mutex_destroy(&m_mutex); }

void BriefLock::lock()
{
    if (const int error = pthread_mutex_lock(&m_mutex))
        throw std::system_error(error, std::generic_category(), "BriefLock");
}

void BriefLock::unlock() { pthread_mutex_unlock(&m_mutex); }

bool BriefLock::try_lock() { return pthread_mutex_trylock(&m_mutex) == 0; }

BriefLockWait::BriefLockWait() { pthread_cond_init(&m_condition, nullptr); }

BriefLockWait::~BriefLockWait() { pthread_cond_destroy(&m_condition); }

void BriefLockWait::wait(std::unique_lock<BriefLock>& lock) { pthread_cond_wait(&m_condition, &lock.mutex()->m_mutex); }

void BriefLockWait::notify_one() { pthread_cond_signal(&m_condition); }

void BriefLockWait::notify_all() { pthread_cond_broadcast(&m_condition); }
