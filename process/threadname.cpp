#include "process/threadname.h"

#include <QtGlobal>

#include <cstring>
#include <string>

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

void setNumbered(std::thread& thread, std::string_view prefix, std::size_t number)
{
    const std::string name = std::string(prefix) + std::to_string(number);
    Q_ASSERT(name.size() <= kMostBytes);
    pthread_setname_np(thread.native_handle(), name.c_str());
}

} // namespace ThreadName
