#pragma once

#include <QByteArray>

#include <chrono>
#include <optional>

// A question about a path that may never be answered, asked in a process of its own. On
// a share whose server took a request and then died, the thread that made it can be
// neither interrupted nor killed until the server answers, and while it waits its whole
// process cannot end, whatever signal it gets. A child stuck so is left behind: it holds
// no file of ours, and nobody waits for it.
namespace ChildProbe {

// A question the child asks: it runs after a fork of a program that may have other
// threads, so it may only make system calls (through syscall(), which no sanitizer
// wraps) and must not touch memory another thread could be changing.
using Question = bool (*)(const char* path);

// The child's answer to question, or nothing when it gave none within limit. Where no
// process can be started the question is asked on a thread of this one instead.
std::optional<bool> ask(Question question, const QByteArray& path, std::chrono::milliseconds limit);

// Questions for ask(): whether the path names a folder (links followed; one that can be
// opened is read a little, so that a share that still knows the name but no longer reads
// does not answer), and whether the file system holding it tells its figures (statfs).
bool isFolder(const char* path);
bool fileSystemAnswers(const char* path);

} // namespace ChildProbe
