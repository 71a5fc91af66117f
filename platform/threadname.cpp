#include "platform/threadname.h"

#include <pthread.h>

namespace ThreadName {

void setForThisThread(const char* name)
{
    // A name that is too long is refused whole; the caller's names are short.
    pthread_setname_np(pthread_self(), name);
}

} // namespace ThreadName
