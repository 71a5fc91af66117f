#include "mainwindow/handins.h"

#include "controls/drivecombo.h"
#include "controls/elidinglabel.h"
#include "controls/folderview.h"
#include "looks/folderlooks.h"
#include "mainwindow/maincontrols.h"
#include "process/stallablecall.h"
#include "walk/hostfolder.h"

#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>

namespace {

using HandedIn::Role;

constexpr int kPollMs = 20;

// A drop copies nothing and moves nothing, but a file manager deletes what it offered to
// move once the move is accepted: only a copy or a link is ever accepted.
bool acceptWithoutMove(QDropEvent* event)
{
    const Qt::DropActions possible = event->possibleActions();
    if (!(possible & (Qt::CopyAction | Qt::LinkAction))) {
        event->ignore();
        return false;
    }
    event->setDropAction(possible & Qt::CopyAction ? Qt::CopyAction : Qt::LinkAction);
    event->accept();
    return true;
}

} // namespace

// A look at what a hand-in names, on a thread of its own; the drive table is the window's
// as it was when the look began.
struct HandIns::PendingLook {
    QString text;
    std::shared_ptr<HandedIn::Look> found = std::make_shared<HandedIn::Look>();
    StallableCall call;

    PendingLook(const QString& lookedAt, const QByteArray& currentHostFolder, const DriveTable& drives,
                const HandedIn::ListTest& isListFile)
        : text(lookedAt)
        , call([lookedAt, currentHostFolder, drives, isListFile, found = found] {
            *found = HandedIn::lookAt(lookedAt, currentHostFolder, drives, isListFile);
        })
    {
    }
};

HandIns::HandIns(const MainControls& controls, HandedIn::ListTest isListFile, std::function<bool()> isBusy, Take take,
                 QObject* parent)
    : QObject(parent)
    , m_isListFile(std::move(isListFile))
    , m_isBusy(std::move(isBusy))
    , m_take(std::move(take))
{
    watch(controls.Drive1, Role::Source);
    watch(controls.Dir2->viewport(), Role::Source);
    watch(controls.Label2, Role::Target);
    watch(controls.Command3, Role::Target);
    watch(controls.Drive2, Role::Target);
    watch(controls.Dir3->viewport(), Role::Target);
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &HandIns::takeWhenAnswered);
}

HandIns::~HandIns() = default;

void HandIns::watch(QWidget* widget, Role role)
{
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
    m_roles.insert(widget, role);
}

void HandIns::handIn(Role role, const QString& text)
{
    startLook(text, false);
    m_waitingRole = role;
    m_waited.start();
    takeWhenAnswered();
    if (m_waitingRole)
        m_poll.start();
}

bool HandIns::eventFilter(QObject* watched, QEvent* event)
{
    const auto role = m_roles.constFind(watched);
    if (role == m_roles.cend())
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
        dragged(*role, static_cast<QDropEvent*>(event));
        return true;
    case QEvent::Drop:
        dropped(*role, static_cast<QDropEvent*>(event));
        return true;
    default:
        return false;
    }
}

// Told from the drag's data at once, and from the look once it has answered: until then
// a local path may be dropped, and the drop waits for the look.
void HandIns::dragged(Role role, QDropEvent* event)
{
    const HandedIn::Dragged dragged = HandedIn::fromUrls(event->mimeData()->urls());
    if (m_isBusy() || dragged.kind == HandedIn::Dragged::Kind::Unusable) {
        event->ignore();
        return;
    }
    if (dragged.kind == HandedIn::Dragged::Kind::Local) {
        startLook(dragged.text, event->type() == QEvent::DragEnter);
        if (const std::optional<HandedIn::Look> look = answer(dragged.text); look && !HandedIn::accepts(role, *look)) {
            event->ignore();
            return;
        }
    }
    acceptWithoutMove(event);
}

void HandIns::dropped(Role role, QDropEvent* event)
{
    const HandedIn::Dragged dragged = HandedIn::fromUrls(event->mimeData()->urls());
    if (m_isBusy() || dragged.kind == HandedIn::Dragged::Kind::Unusable || !acceptWithoutMove(event)) {
        event->ignore();
        return;
    }
    if (dragged.kind == HandedIn::Dragged::Kind::Remote)
        m_take(HandedIn::remote(dragged.text));
    else
        handIn(role, dragged.text);
}

// A look already under way for the same text is not asked again (a drag sends its events
// many times a second, and a look that has not answered would only leave another thread
// waiting); one that has answered is asked anew by a new drag.
void HandIns::startLook(const QString& text, bool anew)
{
    if (m_look && m_look->text == text && !(anew && m_look->call.answered()))
        return;
    m_look = std::make_unique<PendingLook>(text, HostFolder::currentHostPath(), DriveTable::active(), m_isListFile);
}

std::optional<HandedIn::Look> HandIns::answer(const QString& text) const
{
    if (!m_look || m_look->text != text || !m_look->call.answered())
        return std::nullopt;
    return *m_look->found;
}

void HandIns::takeWhenAnswered()
{
    if (!m_waitingRole || !m_look)
        return;
    std::optional<HandedIn::Look> look = answer(m_look->text);
    if (!look && m_waited.elapsed() < FolderLooks::kLimit.count())
        return;
    const HandedIn::Decision decision = HandedIn::decide(*m_waitingRole, look.value_or(HandedIn::Look{}), m_look->text);
    m_poll.stop();
    m_waitingRole.reset();
    m_take(decision);
}
