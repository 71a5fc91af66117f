#include "process/signalpipe.h"

#include <atomic>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace SignalPipe {

namespace {

constexpr int kSessionSignals[] = {SIGTERM, SIGHUP, SIGINT};
// Written by wake(): no signal has the number 0.
constexpr unsigned char kWakeByte = 0;

// Set once, before the handlers are installed, and only read after.
std::atomic<int> g_readEnd = -1;
std::atomic<int> g_writeEnd = -1;

void writeByte(unsigned char byte)
{
    // A full pipe already holds bytes enough to wake the reader.
    [[maybe_unused]] const ssize_t written = ::write(g_writeEnd.load(std::memory_order_relaxed), &byte, 1);
}

void onSignal(int signal)
{
    const int savedErrno = errno;
    writeByte(static_cast<unsigned char>(signal));
    errno = savedErrno;
}

} // namespace

bool install()
{
    int ends[2];
    if (pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0)
        return false;
    g_readEnd = ends[0];
    g_writeEnd = ends[1];
    struct sigaction action = {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSessionSignals)
        sigaction(signal, &action, nullptr);
    return true;
}

int readEnd() { return g_readEnd; }

void restoreDefaultActions()
{
    for (const int signal : kSessionSignals)
        std::signal(signal, SIG_DFL);
}

std::optional<int> takeArrived()
{
    const int end = g_readEnd;
    unsigned char byte = kWakeByte;
    while (end >= 0 && ::read(end, &byte, 1) == 1) {
        if (byte != kWakeByte)
            return byte;
    }
    return std::nullopt;
}

std::optional<int> waitForArrival(std::chrono::milliseconds timeout)
{
    pollfd watched = {g_readEnd, POLLIN, 0};
    if (watched.fd < 0)
        return std::nullopt;
    const int ready = poll(&watched, 1, timeout.count() < 0 ? -1 : int(timeout.count()));
    if (ready <= 0)
        return std::nullopt;
    return takeArrived();
}

void wake() { writeByte(kWakeByte); }

namespace {

void setBlocked(int how)
{
    sigset_t session;
    sigemptyset(&session);
    for (const int signal : kSessionSignals)
        sigaddset(&session, signal);
    pthread_sigmask(how, &session, nullptr);
}

} // namespace

void blockInThisThread() { setBlocked(SIG_BLOCK); }

void unblockInThisThread() { setBlocked(SIG_UNBLOCK); }

void raiseWithDefaultAction(int signal)
{
    std::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    // A signal whose default action does not end the process: the shell's code for it.
    _exit(128 + signal);
}

} // namespace SignalPipe
