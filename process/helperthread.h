#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include <pthread.h>

// A thread of the program's own, named as ThreadName says. It reserves only what it uses: a
// stack of the size given (a folder reader needs far less than the host's 8 MiB), and no
// heap arena beyond those the processors can use at once. Where the host has no thread to
// give (the account's limit of processes is full) start() says so instead of throwing, so
// that the caller can go on without it or fail with a true reason.
class HelperThread {
public:
    HelperThread() = default;
    HelperThread(HelperThread&& other) noexcept;
    HelperThread& operator=(HelperThread&& other) noexcept;
    HelperThread(const HelperThread&) = delete;
    HelperThread& operator=(const HelperThread&) = delete;
    // Joins a thread still running: nobody may leave one behind by accident.
    ~HelperThread();

    // False when no thread could be started; body is then not run.
    bool start(std::string name, std::function<void()> body, std::size_t stackBytes = kSmallStack);
    bool joinable() const { return m_started; }
    void join();

    // Enough for a folder read (a 32 KiB buffer of names and the calls below it).
    static constexpr std::size_t kSmallStack = 1024 * 1024;
    // The host's own size, for a thread that runs a whole run.
    static constexpr std::size_t kHostStack = 0;

    // For tests: while set, every start fails as on a host without a thread to give (root
    // is not held to RLIMIT_NPROC, so a test cannot make the host refuse).
    static void refuseStarts(bool refuse);

private:
    pthread_t m_thread{};
    bool m_started = false;
};
