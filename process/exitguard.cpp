#include "process/exitguard.h"

#include <shared_mutex>

#include <unistd.h>

namespace ExitGuard {

namespace {

// Writers share it; the forced exit takes it whole and never gives it back.
std::shared_mutex& writes()
{
    static std::shared_mutex mutex;
    return mutex;
}

} // namespace

WriteScope::WriteScope()
{
    writes().lock_shared();
}

WriteScope::~WriteScope()
{
    writes().unlock_shared();
}

void closeWrites() { writes().lock(); }

void exitNow(int exitCode)
{
    closeWrites();
    _exit(exitCode);
}

} // namespace ExitGuard
