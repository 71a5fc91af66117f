#pragma once

#include <chrono>
#include <functional>

// What runWithin answers when the body had to be stopped.
inline constexpr int kTimedOut = -2;

// Runs body in a child process and stops it at the deadline, so that a body that blocks
// fails its test at once instead of hanging the suite. The body's return value is the
// child's exit code; -1 when the child could not be started or did not end normally.
int runWithin(std::chrono::milliseconds deadline, const std::function<int()>& body);
