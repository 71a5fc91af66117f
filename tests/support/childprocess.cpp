#include "support/childprocess.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int exitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

int runChild(const std::function<int()>& body, std::optional<std::chrono::milliseconds> deadline)
{
    if (QCoreApplication::instance() && QCoreApplication::instance()->inherits("QGuiApplication")) {
        std::fputs("runInChild: this test program started a window system; fork only from the core's tests\n", stderr);
        return -1;
    }
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        // A group of its own, so that a child stopped at its deadline goes with whatever it
        // started (a file server it waits on would otherwise keep it from ending).
        setpgid(0, 0);
        _exit(body());
    }
    int status = 0;
    if (!deadline)
        return waitpid(child, &status, 0) == child ? exitCodeOf(status) : -1;
    const auto end = std::chrono::steady_clock::now() + *deadline;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= end) {
            kill(-child, SIGKILL);
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return kTimedOut;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return exitCodeOf(status);
}

} // namespace

int runInChild(const std::function<int()>& body) { return runChild(body, std::nullopt); }

int runWithin(std::chrono::milliseconds deadline, const std::function<int()>& body) { return runChild(body, deadline); }

pid_t startQuietly(const char* program, const QList<QByteArray>& arguments)
{
    QList<char*> argv{const_cast<char*>(program)};
    for (const QByteArray& argument : arguments)
        argv.append(const_cast<char*>(argument.constData()));
    argv.append(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int quiet = ::open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        execvp(program, argv.data());
        _exit(127);
    }
    return child;
}

bool runQuietly(const char* program, const QList<QByteArray>& arguments)
{
    const pid_t child = startQuietly(program, arguments);
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
