#pragma once

#include <chrono>
#include <optional>

// SIGTERM, SIGHUP and SIGINT end a session: a logout without session management, a closed
// terminal, Ctrl-C. A handler may do next to nothing safely, so each of them only writes
// the signal's number to a pipe; the program reads it where it can act (the window's event
// loop, the command line's watcher) and ends properly: options saved, the list file intact.
namespace SignalPipe {

// Installs the handlers with SA_RESTART, so no system call of the program fails with EINTR
// because of them. Call it before any thread starts. False when no pipe could be made: the
// signals then keep their default action.
bool install();
// The pipe's read end, non-blocking, or -1 before install().
int readEnd();
// A signal that arrived and was not taken yet, without waiting.
std::optional<int> takeArrived();
// The same, waiting up to timeout (a negative one: for as long as it takes). Also returns,
// with nothing, once wake() was called.
std::optional<int> waitForArrival(std::chrono::milliseconds timeout);
// Lets a waitForArrival() on another thread return.
void wake();

// The kernel hands a signal to any thread that does not block it, and a thread stuck in a
// read that never returns would never run the handler: the command line, whose own thread
// may be stuck so, keeps the signals from it and from the threads it starts, and lets them
// into the one thread that waits for them. Blocked signals that arrived meanwhile run their
// handler as soon as they are let in.
void blockInThisThread();
void unblockInThisThread();
// The signals' own actions again, where nothing can read the pipe.
void restoreDefaultActions();

// Ends the process as the signal ends a program that does not catch it, so that a shell
// loop stops as it would for any other program.
[[noreturn]] void raiseWithDefaultAction(int signal);

} // namespace SignalPipe
