#include "support/fatstick.h"

#include "support/childprocess.h"
#include "support/privatemounts.h"

#include <QStandardPaths>

#include <chrono>
#include <csignal>
#include <thread>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr long kFuseMagic = 0x65735546;
constexpr auto kPatience = std::chrono::seconds(5);

bool isFuseMount(const QByteArray& path)
{
    struct statfs info;
    return statfs(path.constData(), &info) == 0 && info.f_type == kFuseMagic;
}

// root's PATH may lack the sbin folders that hold mkfs.vfat.
QByteArray programPath(const char* name)
{
    QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(QString::fromLatin1(name), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    return found.toLocal8Bit();
}

} // namespace

QString FatStick::unavailable()
{
    if (geteuid() != 0)
        return QStringLiteral("mounting a FAT stick needs root");
    if (access("/dev/fuse", R_OK | W_OK) != 0)
        return QStringLiteral("no /dev/fuse here");
    for (const char* program : {"mkfs.vfat", "fusefat"}) {
        if (programPath(program).isEmpty())
            return QStringLiteral("%1 is not installed (dosfstools, fusefat)").arg(QString::fromLatin1(program));
    }
    return {};
}

FatStick::FatStick(const QByteArray& folder)
    : m_image(folder + "/stick.img")
    , m_mountPoint(folder + "/stick")
{
    if (PrivateMounts::enter().isEmpty() && mkdir(m_mountPoint.constData(), 0755) == 0
        && runQuietly(programPath("mkfs.vfat").constData(), {"-C", m_image, "8192"}))
        mount();
}

FatStick::~FatStick() { unmount(); }

bool FatStick::remount()
{
    unmount();
    return mount();
}

bool FatStick::mount()
{
    // A name removed is gone at once, as on a stick the kernel mounts: by default the FUSE
    // library keeps a file whose last close it has not yet heard of under a hidden name, and
    // a close reaches it a moment later (a test on a busy machine saw ".fuse_hidden…").
    m_driver = startQuietly(programPath("fusefat").constData(), {"-f", "-o", "rw+,hard_remove", m_image, m_mountPoint});
    for (const auto end = std::chrono::steady_clock::now() + kPatience; m_driver > 0;) {
        if (isFuseMount(m_mountPoint))
            return true;
        if (std::chrono::steady_clock::now() >= end || waitpid(m_driver, nullptr, WNOHANG) != 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    unmount();
    return false;
}

// The driver ends once its file system is unmounted; one that does not is ended.
void FatStick::unmount()
{
    if (m_driver <= 0)
        return;
    umount2(m_mountPoint.constData(), 0);
    const auto end = std::chrono::steady_clock::now() + kPatience;
    while (waitpid(m_driver, nullptr, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= end) {
            umount2(m_mountPoint.constData(), MNT_DETACH);
            kill(m_driver, SIGKILL);
            waitpid(m_driver, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    m_driver = -1;
}
