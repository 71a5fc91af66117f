#pragma once

#include <QByteArray>
#include <QList>

#include <chrono>
#include <functional>

#include <sys/types.h>

// What runWithin answers when the body had to be stopped.
inline constexpr int kTimedOut = -2;

// Runs body in a child process of its own. Its return value is the child's exit code; -1
// when the child could not be started or did not end normally. The core's test programs
// start only Qt Core (see testmain.cpp); a program that started a window system is refused
// (-1, with the reason on standard error): its child would share the display connection
// and could inherit a lock that another thread held at the fork.
int runInChild(const std::function<int()>& body);

// The same, stopped at the deadline (kTimedOut) with every process it started, so that a
// body that blocks fails its test at once instead of hanging the suite.
int runWithin(std::chrono::milliseconds deadline, const std::function<int()>& body);

// Starts a program (found on PATH where it has no '/') by a plain fork and exec, which a
// sanitizer follows and which starts no thread, with its output to /dev/null: its process
// id, or -1.
pid_t startQuietly(const char* program, const QList<QByteArray>& arguments);
// The same, waited for: true when it exited with 0.
bool runQuietly(const char* program, const QList<QByteArray>& arguments);
