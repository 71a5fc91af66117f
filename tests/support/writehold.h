#pragma once

#include <chrono>

#include <sys/types.h>

// Holds a file replacement in a child process right after its first bytes reached the
// file, so that the test (the parent) can look at the target folder, or signal the child,
// while the write is under way. Make it before the child starts.
class WriteHold {
public:
    WriteHold();
    ~WriteHold();
    WriteHold(const WriteHold&) = delete;
    WriteHold& operator=(const WriteHold&) = delete;

    // In the child, before its write: the write stops at its first bytes until release().
    void installInChild();
    // In the parent: the held child's process id, or 0 when no write was held in time.
    pid_t waitUntilHeld(std::chrono::milliseconds timeout);
    // In the parent: lets the held write go on.
    void release();

private:
    int m_held[2] = {-1, -1};
    int m_released[2] = {-1, -1};
};
