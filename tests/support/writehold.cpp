#include "support/writehold.h"

#include "platform/filereplacement.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

WriteHold::WriteHold()
{
    if (pipe2(m_held, O_CLOEXEC) != 0 || pipe2(m_released, O_CLOEXEC) != 0)
        m_held[0] = m_held[1] = m_released[0] = m_released[1] = -1;
}

WriteHold::~WriteHold()
{
    for (const int end : {m_held[0], m_held[1], m_released[0], m_released[1]}) {
        if (end >= 0)
            ::close(end);
    }
}

void WriteHold::installInChild()
{
    FileReplacement::holdAfterFirstWrite([this] {
        const pid_t self = getpid();
        char go = 0;
        if (::write(m_held[1], &self, sizeof self) == sizeof self)
            while (::read(m_released[0], &go, 1) < 0 && errno == EINTR) {
            }
    });
}

pid_t WriteHold::waitUntilHeld(std::chrono::milliseconds timeout)
{
    pollfd ready{m_held[0], POLLIN, 0};
    pid_t child = 0;
    if (poll(&ready, 1, int(timeout.count())) != 1 || ::read(m_held[0], &child, sizeof child) != sizeof child)
        return 0;
    return child;
}

void WriteHold::release()
{
    const char go = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_released[1], &go, 1);
}
