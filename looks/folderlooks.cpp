#include "looks/folderlooks.h"

#include "drives/drivetable.h"
#include "listing/folderlist.h"
#include "mounts/mounttable.h"
#include "process/childprobe.h"
#include "process/stallablecall.h"
#include "readahead/folderreads.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace {

// How long a read waits for its child's answer before it gives up: a mount whose read is
// still out takes no other, so a share that never answers is tried again after this.
constexpr std::chrono::seconds kChildLimit{60};

} // namespace

// One read of a folder on a thread of its own. What it found is written before it is
// handed back to the window's thread, and read there only after.
struct FolderLooks::Look {
    QByteArray mount;
    Clock::time_point deadline;
    Outcome outcome = Outcome::NotAnswering;
    std::optional<WindowsPath> folder;
    QString pathText;
    FolderScan scan;

    void read(const DriveTable& drives, const QList<WindowsPath>& folders, bool needsReadableRoot);
};

// Where a finished read is handed back, as long as its FolderLooks lives. The looks wait
// here under the mailbox's own lock, and the queued call that wakes the owner carries
// nothing: what a reader wrote reaches the owner's thread through that lock alone.
struct FolderLooks::Mailbox {
    std::mutex mutex;
    FolderLooks* owner = nullptr;
    std::vector<std::shared_ptr<Look>> answered;

    void post(const std::shared_ptr<Look>& look)
    {
        const std::lock_guard lock(mutex);
        if (!owner)
            return;
        answered.push_back(look);
        if (answered.size() == 1)
            QMetaObject::invokeMethod(owner, "takeAnswers", Qt::QueuedConnection);
    }

    std::vector<std::shared_ptr<Look>> take()
    {
        const std::lock_guard lock(mutex);
        return std::exchange(answered, {});
    }
};

void FolderLooks::Look::read(const DriveTable& drives, const QList<WindowsPath>& folders, bool needsReadableRoot)
{
    DriveTable::setActive(drives);
    outcome = Outcome::NotAFolder;
    for (const WindowsPath& candidate : folders) {
        const std::optional<QByteArray> host = drives.hostPathOf(candidate);
        const std::optional<bool> isFolder = host ? ChildProbe::ask(ChildProbe::isFolder, *host, kChildLimit) : false;
        if (!isFolder) {
            outcome = Outcome::NotAnswering;
            return;
        }
        if (!*isFolder)
            continue;
        const QString text = candidate.toString();
        FolderScan found = FolderReads::read(nullptr, candidate, text);
        // A drive that cannot be read is not ready, as the old platform's drive list says.
        if (!found.isFolder || (needsReadableRoot && candidate.isRoot() && !found.complete))
            continue;
        outcome = Outcome::Read;
        folder.emplace(candidate);
        pathText = text;
        scan = std::move(found);
        return;
    }
}

FolderLooks::FolderLooks(QObject* parent)
    : QObject(parent)
    , m_mailbox(std::make_shared<Mailbox>())
{
    m_mailbox->owner = this;
    m_deadline.setSingleShot(true);
    m_deadline.setTimerType(Qt::PreciseTimer);
    connect(&m_deadline, &QTimer::timeout, this, &FolderLooks::endOverdue);
}

FolderLooks::~FolderLooks()
{
    const std::lock_guard lock(m_mailbox->mutex);
    m_mailbox->owner = nullptr;
}

FolderLooks::Ticket FolderLooks::move(FolderList& list, const QString& pathOrDrive)
{
    return ask(list, list.candidatesFor(pathOrDrive), {});
}

FolderLooks::Ticket FolderLooks::pickDrive(FolderList& list, QChar letter)
{
    return ask(list, list.candidatesFor(QString(letter) + u':'), {.needsReadableRoot = true, .readAgain = true});
}

FolderLooks::Ticket FolderLooks::refresh(FolderList& list)
{
    QList<WindowsPath> folders;
    if (list.folder())
        folders.append(*list.folder());
    return ask(list, folders, {.readAgain = true});
}

FolderLooks::Ticket FolderLooks::ask(FolderList& list, QList<WindowsPath> folders, How how)
{
    m_requests.remove_if([&list](const Request& request) { return request.list == &list; });
    Request request;
    request.ticket = ++m_lastTicket;
    request.list = &list;
    request.needsReadableRoot = how.needsReadableRoot;
    request.deadline = Clock::now() + kLimit;
    if (folders.isEmpty()) {
        end(request, Outcome::NotAFolder);
        return request.ticket;
    }
    request.pathText = folders.constFirst().toString();
    // Where the list stands already, there is nothing to move; the cascades of the window's
    // handlers end here.
    if (!how.readAgain && list.folder() == folders.constFirst()) {
        end(request, Outcome::Read);
        return request.ticket;
    }
    const std::optional<QByteArray> host = DriveTable::active().hostPathOf(folders.constFirst());
    request.mount = host ? MountTable::read().mountPointOf(*host) : QByteArray();
    request.folders = std::move(folders);
    m_requests.push_back(std::move(request));
    startWaitingLooks();
    armDeadline();
    return m_lastTicket;
}

// Each request whose mount has no read out gets one; one whose mount has a read out waits
// for it, unless that read is overdue already.
void FolderLooks::startWaitingLooks()
{
    const Clock::time_point now = Clock::now();
    for (auto request = m_requests.begin(); request != m_requests.end();) {
        const auto busy = m_lookOnMount.constFind(request->mount);
        const bool waits = busy != m_lookOnMount.cend() && (*busy)->deadline > now;
        if (request->look || waits || (busy == m_lookOnMount.cend() && startLook(*request))) {
            ++request;
            continue;
        }
        // Overdue there, or no thread to read with: as good as no answer.
        const Request ended = *request;
        request = m_requests.erase(request);
        end(ended, Outcome::NotAnswering);
    }
}

bool FolderLooks::startLook(Request& request)
{
    auto look = std::make_shared<Look>();
    look->mount = request.mount;
    look->deadline = request.deadline;
    const StallableCall call([look, drives = DriveTable::active(), folders = request.folders,
                              needsReadableRoot = request.needsReadableRoot, mailbox = m_mailbox] {
        look->read(drives, folders, needsReadableRoot);
        mailbox->post(look);
    });
    if (!call.started())
        return false;
    request.look = look;
    m_lookOnMount.insert(request.mount, look);
    return true;
}

void FolderLooks::takeAnswers()
{
    for (const std::shared_ptr<Look>& look : m_mailbox->take())
        lookAnswered(look);
}

void FolderLooks::lookAnswered(const std::shared_ptr<Look>& look)
{
    if (m_lookOnMount.value(look->mount) == look)
        m_lookOnMount.remove(look->mount);
    const auto found = std::find_if(m_requests.begin(), m_requests.end(),
                                    [&look](const Request& request) { return request.look == look; });
    // Otherwise the request ended, overdue, or another took its place: a late answer changes nothing.
    if (found != m_requests.end()) {
        const Request request = *found;
        m_requests.erase(found);
        // The list's change handlers run here, and may ask for further moves.
        if (look->outcome == Outcome::Read && request.list)
            request.list->takeRead(*look->folder, look->pathText, look->scan);
        end(request, look->outcome);
    }
    startWaitingLooks();
    armDeadline();
}

void FolderLooks::endOverdue()
{
    const Clock::time_point now = Clock::now();
    std::list<Request> overdue;
    for (auto request = m_requests.begin(); request != m_requests.end();) {
        const auto next = std::next(request);
        if (request->deadline <= now)
            overdue.splice(overdue.end(), m_requests, request);
        request = next;
    }
    for (const Request& request : overdue)
        end(request, Outcome::NotAnswering);
    startWaitingLooks();
    armDeadline();
}

void FolderLooks::end(const Request& request, Outcome outcome)
{
    QMetaObject::invokeMethod(
        this,
        [this, ticket = request.ticket, list = request.list, outcome, pathText = request.pathText] {
            emit answered(ticket, list.data(), outcome, pathText);
        },
        Qt::QueuedConnection);
}

void FolderLooks::armDeadline()
{
    if (m_requests.empty()) {
        m_deadline.stop();
        return;
    }
    Clock::time_point next = m_requests.front().deadline;
    for (const Request& request : m_requests)
        next = std::min(next, request.deadline);
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
    m_deadline.start(std::max(wait, std::chrono::milliseconds(0)));
}
