#pragma once

#include <functional>

// File modes do not stop root. A test that needs a missing right runs its body through
// this: in a child process that drops to the user "nobody" when the suite runs as root
// (and runs as is otherwise). The body's return value is the child's exit code; -1 when
// the child could not be started or did not end normally.
int runUnprivileged(const std::function<int()>& body);

// Makes a folder and everything in it reachable for "nobody" (QTemporaryDir is private to
// its owner), so that the child can get as far as the right the test takes away.
void openToEveryone(const char* hostPath);
