#pragma once

#include <QByteArray>
#include <QList>

#include <memory>

// A file system of the test's own, served through FUSE by a process that lives as long as
// the object (or the process that made it): the folders, files and links the test names,
// with the faults real shares have. Every folder may report one and the same inode
// number, one folder may never answer anything asked about it or in it, and one may list
// names without end. Mount it only in a mount namespace of the test's own (see
// PrivateMounts), in a child process, so that nothing of it outlives the test.
class TestShare {
public:
    struct Faults {
        // Every folder says it is inode 1, as some FUSE drivers and network shares do.
        bool sameInodeForEveryFolder = false;
        // Nothing asked of this folder or of a name in it is ever answered (until the
        // share goes): a share that died. Relative to the root, no leading '/'.
        QByteArray stalledFolder;
        // This folder's listing never ends.
        QByteArray endlessFolder;
    };

    // entries: "a/b/" is a folder, "a/f.txt" a file, "a/l -> target" a link with that
    // text; folders on the way are made as needed.
    TestShare(const QByteArray& mountPoint, const QList<QByteArray>& entries, const Faults& faults);
    TestShare(const QByteArray& mountPoint, const QList<QByteArray>& entries);
    ~TestShare();
    TestShare(const TestShare&) = delete;
    TestShare& operator=(const TestShare&) = delete;

    bool mounted() const;
    // Stops the server (SIGSTOP) and lets it go on: what is asked meanwhile waits unread,
    // and is answered late.
    void freeze();
    void thaw();

    // Why a share cannot be served here (no /dev/fuse, built without libfuse3, not root);
    // empty when it can.
    static QByteArray unavailableReason();

private:
    struct Server;
    std::unique_ptr<Server> m_server;
};
