#include "support/privatemounts.h"

#include <cerrno>
#include <cstring>

#include <sched.h>
#include <sys/mount.h>

namespace PrivateMounts {

namespace {

QByteArray& programReason()
{
    static QByteArray reason = "the test program entered no mount namespace of its own";
    return reason;
}

} // namespace

QByteArray enter()
{
    if (unshare(CLONE_NEWNS) != 0)
        return QByteArray("no mount namespace of its own: ") + std::strerror(errno);
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return QByteArray("mounts not made private: ") + std::strerror(errno);
    return {};
}

void enterForTheProgram() { programReason() = enter(); }

QByteArray missingForTheProgram() { return programReason(); }

} // namespace PrivateMounts
