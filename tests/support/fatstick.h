#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// A FAT stick as the desktop serves one through a FUSE driver: an image made with
// mkfs.vfat (dosfstools), served by Debian's fusefat over a folder. Make it only in a child
// process (runInChild) with one thread, which it moves into a mount namespace of its own
// (PrivateMounts), so that nothing outlives the test. Unmounted when the object goes.
class FatStick {
public:
    // Why no stick can be had here (not root, no /dev/fuse, a program missing); empty where
    // one can.
    static QString unavailable();

    // The image and the mount point go into folder, which must exist.
    explicit FatStick(const QByteArray& folder);
    ~FatStick();
    FatStick(const FatStick&) = delete;
    FatStick& operator=(const FatStick&) = delete;

    bool mounted() const { return m_driver > 0; }
    const QByteArray& mountPoint() const { return m_mountPoint; }
    // Unmounts and mounts again, so that what is read next comes from the image.
    bool remount();

private:
    bool mount();
    void unmount();

    QByteArray m_image;
    QByteArray m_mountPoint;
    pid_t m_driver = -1;
};
