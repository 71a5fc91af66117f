#include "support/childchecks.h"

#include "support/childprocess.h"

#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

namespace {

// The parent reads only once the child has ended, so the notes must fit the pipe.
constexpr std::size_t kMostNoted = 60000;

std::string readAll(int channel)
{
    std::string text;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(channel, buffer, sizeof buffer)) > 0)
        text.append(buffer, std::size_t(got));
    return text;
}

} // namespace

std::string failedChecksIn(const std::function<int(const std::function<int()>&)>& start,
                           const std::function<void(ChildChecks&)>& checks)
{
    int channel[2];
    if (pipe2(channel, O_CLOEXEC) != 0)
        return "no pipe to the child";
    const int exitCode = start([&] {
        ChildChecks check;
        checks(check);
        const std::string& failures = check.failures();
        const bool sent = write(channel[1], failures.data(), std::min(failures.size(), kMostNoted)) >= 0;
        return failures.empty() && sent ? 0 : 1;
    });
    close(channel[1]);
    std::string failures = readAll(channel[0]);
    close(channel[0]);
    if (exitCode == kTimedOut)
        failures += "the child was stopped at its deadline\n";
    else if (exitCode != 0 && failures.empty())
        failures = "the child ended with " + std::to_string(exitCode) + " before its checks were done";
    return failures;
}
