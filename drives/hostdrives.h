#pragma once

#include "drives/driveletters.h"
#include "mounts/mounttable.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class MountWatch;
class StallableCall;

// Keeps the drive table of the thread it lives on (the window's) in step with the
// system's mounts while it lives: the mount watch tells it when a mount comes or goes. The
// desktop's share folder, whose shares change no mount, is looked at again every few
// seconds, off this thread, while it is mounted.
class HostDrives : public QObject {
    Q_OBJECT

public:
    // Gives the volumes mounted now their letters, the remembered ones theirs, and installs
    // the thread's table, and each one that follows.
    explicit HostDrives(RememberedLetters remembered = {}, QObject* parent = nullptr);
    ~HostDrives() override;

    // The one living on the calling thread, if any.
    static HostDrives* onThisThread();

    // The letters to remember now, and as they were handed in at the start.
    const RememberedLetters& remembered() const { return m_letters.remembered(); }
    const RememberedLetters& rememberedAtStart() const { return m_rememberedAtStart; }

signals:
    // The thread's drive table was replaced by the one DriveTable::active() now gives.
    void changed();

private:
    // The mounts changed: they are read once they have settled.
    Q_INVOKABLE void mountsChanged();
    void readMounts();
    void lookAtShares();
    void takeShares();
    void follow();

    RememberedLetters m_rememberedAtStart;
    DriveLetters m_letters;
    MountTable m_mounts;
    std::optional<QByteArray> m_shareFolder;
    QList<QByteArray> m_shares;
    std::shared_ptr<MountWatch> m_watch;
    int m_listening;
    QTimer m_settle;
    QTimer m_shareTimer;
    struct ShareLook;
    std::unique_ptr<ShareLook> m_shareLook;
};
