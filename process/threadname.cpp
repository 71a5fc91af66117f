#include "process/threadname.h"

#include <QtGlobal>

#include <cstring>

#include <pthread.h>

namespace ThreadName {

namespace {

// The host refuses a longer name whole.
constexpr std::size_t kMostBytes = 15;

} // namespace

void setForThisThread(const char* name)
{
    Q_ASSERT(std::strlen(name) <= kMostBytes);
    pthread_setname_np(pthread_self(), name);
}

} // namespace ThreadName
