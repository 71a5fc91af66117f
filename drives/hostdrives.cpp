#include "drives/hostdrives.h"

#include "drives/hosthome.h"
#include "mounts/mountwatch.h"
#include "mounts/sharefolder.h"
#include "process/stallablecall.h"

#include <unistd.h>

namespace {

// Mounts often come in bursts (a disk with several partitions): the table is read once
// for all changes of a short while.
constexpr int kSettleMs = 100;
constexpr int kShareLookMs = 3000;
// How long a look at the shares is waited for before the window goes on without it.
constexpr std::chrono::milliseconds kShareWait{100};

thread_local HostDrives* hostDrivesOfThisThread = nullptr;

} // namespace

// A look at the share folder that may not have answered yet.
struct HostDrives::ShareLook {
    std::shared_ptr<QList<QByteArray>> found = std::make_shared<QList<QByteArray>>();
    StallableCall call;

    explicit ShareLook(const QByteArray& folder)
        : call([folder, found = found] { *found = ShareFolder::shares(folder); })
    {
    }
};

HostDrives::HostDrives(RememberedLetters remembered, QObject* parent)
    : QObject(parent)
    , m_rememberedAtStart(remembered)
    , m_letters(HostHome::folder(), std::move(remembered))
{
    hostDrivesOfThisThread = this;
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &HostDrives::readMounts);
    m_shareTimer.setInterval(kShareLookMs);
    connect(&m_shareTimer, &QTimer::timeout, this, &HostDrives::lookAtShares);
    m_watch = MountWatch::shared();
    // Called on the watch's thread: the queued call by name carries nothing across.
    m_listening = m_watch->listen([this] { QMetaObject::invokeMethod(this, "mountsChanged", Qt::QueuedConnection); });
    readMounts();
    DriveTable::setActive(m_letters.table());
}

void HostDrives::mountsChanged()
{
    if (!m_settle.isActive())
        m_settle.start();
}

HostDrives::~HostDrives()
{
    m_watch->stopListening(m_listening);
    if (hostDrivesOfThisThread == this)
        hostDrivesOfThisThread = nullptr;
}

HostDrives* HostDrives::onThisThread() { return hostDrivesOfThisThread; }

void HostDrives::readMounts()
{
    m_mounts = MountTable::read();
    const std::optional<QByteArray> shareFolder = m_mounts.shareFolder(getuid());
    if (shareFolder != m_shareFolder) {
        m_shareFolder = shareFolder;
        m_shares.clear();
    }
    if (m_shareFolder) {
        if (!m_shareTimer.isActive())
            m_shareTimer.start();
        lookAtShares();
    } else {
        m_shareTimer.stop();
    }
    follow();
}

// One look at a time: while a look has not answered, the helper is stuck, and another
// would only leave one more thread waiting on it.
void HostDrives::lookAtShares()
{
    if (m_shareLook) {
        takeShares();
        return;
    }
    m_shareLook = std::make_unique<ShareLook>(*m_shareFolder);
    if (m_shareLook->call.waitFor(kShareWait))
        takeShares();
}

void HostDrives::takeShares()
{
    if (!m_shareLook->call.answered())
        return;
    const QList<QByteArray> shares = *m_shareLook->found;
    m_shareLook.reset();
    if (shares != m_shares) {
        m_shares = shares;
        follow();
    }
}

void HostDrives::follow()
{
    const QList<MountedVolume> volumes
        = VolumeIdentity::volumes(m_mounts, m_shares, VolumeIdentity::DiskNames::read());
    if (!m_letters.follow(volumes, QDate::currentDate()))
        return;
    DriveTable::setActive(m_letters.table());
    emit changed();
}
