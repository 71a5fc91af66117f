#pragma once

// The last way out when a folder read will not return (a dead network share): the process
// ends without waiting for the threads that are stuck, but never while a file is being
// written over where it stands, so the old list file is intact or the new one complete. A
// new file still on its way to its name changes nothing of the old one and is not waited
// for: its share may have stopped answering too. (A later write removes it.)
namespace ExitGuard {

// Held by a writer from the first change of an existing file's bytes until its new content
// is complete or its old content is back. A forced exit waits for it; a scope begun after a
// forced exit was asked for never returns.
class WriteScope {
public:
    WriteScope();
    ~WriteScope();
    WriteScope(const WriteScope&) = delete;
    WriteScope& operator=(const WriteScope&) = delete;
};

// Waits for every WriteScope of other threads to end and lets no new one begin, so that the
// caller may then end the process in any way. Never call it on a thread that holds a
// WriteScope.
void closeWrites();

// closeWrites(), then ends the process at once with exitCode: no destructor and no atexit
// handler runs, no thread is joined.
[[noreturn]] void exitNow(int exitCode);

} // namespace ExitGuard
