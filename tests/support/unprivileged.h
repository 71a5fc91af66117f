#pragma once

#include <QByteArray>
#include <QList>

#include <functional>

#include <sys/types.h>

// File modes do not stop root. A test that needs a missing right runs its body through
// this: in a child process that drops to the user "nobody" when the suite runs as root
// (and runs as is otherwise). The body's return value is the child's exit code; -1 when
// the child could not be started or did not end normally. Only the core's tests fork,
// whose programs start no window system (see testmain.cpp): a child must not share a
// display connection, or inherit a lock some other thread held.
int runUnprivileged(const std::function<int()>& body);

// The same as the given user, with the given primary group and supplementary groups
// (only root may do this).
int runAsUser(uid_t user, gid_t group, const QList<gid_t>& groups, const std::function<int()>& body);

// Makes a folder and everything in it reachable for "nobody" (QTemporaryDir is private to
// its owner), so that the child can get as far as the right the test takes away. A folder
// above it that "nobody" cannot pass (a home folder holding the temporary folders) is
// opened for passing only, and closed again when this object goes.
class OpenToEveryone {
public:
    explicit OpenToEveryone(const QByteArray& hostPath);
    ~OpenToEveryone();
    OpenToEveryone(const OpenToEveryone&) = delete;
    OpenToEveryone& operator=(const OpenToEveryone&) = delete;

private:
    struct Opened {
        QByteArray path;
        mode_t mode;
    };
    QList<Opened> m_ancestors;
};
