#pragma once

#include "drives/windowspath.h"
#include "listing/folderlist.h"
#include "walk/folderscan.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <list>
#include <memory>

// The way a window moves its folder lists: the folder is read off the window's thread, and
// the list takes the read, raising its change, only once the folder has answered. So a
// folder on a share that stopped answering never holds the window: after kLimit it counts
// as not answering, and the list stays as it was. The restore of the stored folders, the
// pickers and whatever else brings a folder into the window go through here.
//
// A later move or refresh of a list takes the place of the one before, whose answer, late
// or not, is dropped. On one mount only one read is out at a time: a share that stopped
// answering gets no pile of stuck reads, and while its read is overdue every further look
// there ends at once as not answering. The read first asks a child process whether the
// folder is there (see ChildProbe), so a dead share holds that child, never this process.
class FolderLooks : public QObject {
    Q_OBJECT

public:
    using Clock = std::chrono::steady_clock;
    // How long a folder may take to answer before it counts as not ready.
    static constexpr std::chrono::milliseconds kLimit{1500};

    enum class Outcome { Read, NotAFolder, NotAnswering };
    using Ticket = quint64;

    explicit FolderLooks(QObject* parent = nullptr);
    ~FolderLooks() override;

    // Moves list to a folder path, or for a drive value to the folder it last stood on
    // there, else to the drive's root.
    Ticket move(FolderList& list, const QString& pathOrDrive);
    // The same for a drive a person picked, which must be ready: its root readable, and
    // looked at even where the list stands on it already.
    Ticket pickDrive(FolderList& list, QChar letter);
    // Reads the list's folder again.
    Ticket refresh(FolderList& list);

    // A move or refresh has not ended yet.
    bool isLooking() const { return !m_requests.empty(); }

signals:
    // How a move or refresh ended, once the list has taken what was read. pathText names the
    // folder asked for (the first one tried). Said on the next turn of the event loop at
    // the earliest, never for a move another one took the place of.
    void answered(FolderLooks::Ticket ticket, FolderList* list, FolderLooks::Outcome outcome, const QString& pathText);

private:
    struct Look;
    struct Mailbox;
    struct Request {
        Ticket ticket = 0;
        QPointer<FolderList> list;
        QList<WindowsPath> folders;
        bool needsReadableRoot = false;
        QString pathText;
        QByteArray mount;
        Clock::time_point deadline;
        std::shared_ptr<Look> look; // once it is out
    };

    struct How {
        bool needsReadableRoot = false;
        bool readAgain = false;
    };
    Ticket ask(FolderList& list, QList<WindowsPath> folders, How how);
    void startWaitingLooks();
    bool startLook(Request& request);
    // Called by name from the mailbox, queued: the answers that came since the last call.
    Q_INVOKABLE void takeAnswers();
    void lookAnswered(const std::shared_ptr<Look>& look);
    void endOverdue();
    void end(const Request& request, Outcome outcome);
    void armDeadline();

    std::list<Request> m_requests;
    // The one read out on each mount, answered or not yet.
    QHash<QByteArray, std::shared_ptr<Look>> m_lookOnMount;
    std::shared_ptr<Mailbox> m_mailbox;
    QTimer m_deadline;
    Ticket m_lastTicket = 0;
};
