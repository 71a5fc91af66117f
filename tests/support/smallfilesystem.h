#pragma once

#include <QByteArray>

#include <sys/types.h>

// A file system in memory (tmpfs) of the given size over a folder, unmounted when the test
// ends, however it ends. Mounting needs root (see PrivateMounts); where it fails the folder
// stays as it was.
class SmallFileSystem {
public:
    SmallFileSystem(const QByteArray& mountPoint, const QByteArray& size, mode_t rootMode = 0755);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    bool mounted() const { return m_mounted; }

private:
    QByteArray m_mountPoint;
    bool m_mounted = false;
};
