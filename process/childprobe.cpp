#include "process/childprobe.h"

#include "process/stallablecall.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <memory>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr char kYes = 'y';
constexpr char kNo = 'n';

// In the grandchild, which nobody has to wait for: its parent ends at once, and the
// system takes it over. Only system calls from here on, and no return.
[[noreturn]] void answerInGrandchild(ChildProbe::Question question, const char* path, int answerFd)
{
    // Without our terminal, pipes and locks: a shell waiting for the end of a pipe, or a
    // writer waiting for a lock, must not wait for a child stuck on a dead share.
    if (answerFd > 0)
        syscall(SYS_close_range, 0, answerFd - 1, 0);
    syscall(SYS_close_range, answerFd + 1, ~0U, 0);
    const char answer = question(path) ? kYes : kNo;
    syscall(SYS_write, answerFd, &answer, 1);
    syscall(SYS_exit_group, 0);
    __builtin_unreachable();
}

// The answer read from the pipe within the limit: a byte, or nothing at the limit.
// Empty with failed set where the child ended without answering.
std::optional<bool> readAnswer(int answerFd, std::chrono::milliseconds limit, bool& failed)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd waiting{answerFd, POLLIN, 0};
        const int ready = poll(&waiting, 1, int(std::max(left.count(), std::chrono::milliseconds::rep(0))));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        char answer = 0;
        const ssize_t got = read(answerFd, &answer, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got == 1)
            return answer == kYes;
        failed = true;
        return std::nullopt;
    }
}

std::optional<bool> askOnThread(ChildProbe::Question question, const QByteArray& path,
                                std::chrono::milliseconds limit)
{
    auto answer = std::make_shared<std::atomic<bool>>(false);
    const StallableCall call([question, path, answer] { *answer = question(path.constData()); });
    return call.waitFor(limit) ? std::optional<bool>(*answer) : std::nullopt;
}

} // namespace

namespace ChildProbe {

std::optional<bool> ask(Question question, const QByteArray& path, std::chrono::milliseconds limit)
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return askOnThread(question, path, limit);
    // _Fork runs no fork handlers: nothing another thread holds is taken in the child.
    const pid_t child = _Fork();
    if (child == 0) {
        sigset_t all;
        sigfillset(&all);
        syscall(SYS_rt_sigprocmask, SIG_SETMASK, &all, nullptr, _NSIG / 8);
        const pid_t grandchild = _Fork();
        if (grandchild == 0)
            answerInGrandchild(question, path.constData(), pipeFds[1]);
        syscall(SYS_exit_group, grandchild < 0 ? 1 : 0);
    }
    close(pipeFds[1]);
    if (child < 0) {
        close(pipeFds[0]);
        return askOnThread(question, path, limit);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    bool failed = !WIFEXITED(status) || WEXITSTATUS(status) != 0;
    std::optional<bool> answer;
    if (!failed)
        answer = readAnswer(pipeFds[0], limit, failed);
    close(pipeFds[0]);
    return failed ? askOnThread(question, path, limit) : answer;
}

bool isFolder(const char* path)
{
    struct stat info;
    if (syscall(SYS_newfstatat, AT_FDCWD, path, &info, 0) != 0 || !S_ISDIR(info.st_mode))
        return false;
    // A share that still knows the name may no longer answer its reads: a little is read.
    const long folder = syscall(SYS_openat, AT_FDCWD, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        char entries[1024];
        syscall(SYS_getdents64, folder, entries, sizeof entries);
        syscall(SYS_close, folder);
    }
    return true;
}

bool fileSystemAnswers(const char* path)
{
    struct statfs info;
    return syscall(SYS_statfs, path, &info) == 0;
}

} // namespace ChildProbe
