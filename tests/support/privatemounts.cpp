#include "support/privatemounts.h"

#include <cerrno>
#include <cstring>

#include <sched.h>
#include <sys/mount.h>

namespace PrivateMounts {

QByteArray enter()
{
    if (unshare(CLONE_NEWNS) != 0)
        return QByteArray("no mount namespace of its own: ") + std::strerror(errno);
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return QByteArray("mounts not made private: ") + std::strerror(errno);
    return {};
}

} // namespace PrivateMounts
