#include "generation/folderwalk.h"

#include "drives/hostlocation.h"
#include "drives/windowspath.h"
#include "generation/pathprobes.h"
#include "listing/filelist.h"
#include "listing/folderlist.h"
#include "listing/listbox.h"
#include "readahead/folderreads.h"
#include "walk/walklineage.h"

#include <QLoggingCategory>

namespace {

// Which folders a run could not read: the status line counts them, this names them
// (QT_LOGGING_RULES="korvale.walk.debug=true").
Q_LOGGING_CATEGORY(walkLog, "korvale.walk", QtWarningMsg)

// For the run, the folder list and the file list open and read each folder once between
// them; afterwards they work on their own again.
class SharedReads {
public:
    SharedReads(const WalkControls& controls, FolderReads& reads)
        : m_controls(controls)
    {
        m_controls.Dir1.shareReads(&reads);
        m_controls.File1.shareReads(&reads);
    }
    ~SharedReads()
    {
        m_controls.Dir1.shareReads(nullptr);
        m_controls.File1.shareReads(nullptr);
    }
    SharedReads(const SharedReads&) = delete;
    SharedReads& operator=(const SharedReads&) = delete;

private:
    const WalkControls& m_controls;
};

// Both listings of the start folder are read afresh, even when Dir1 and File1 already
// stand there from an earlier run.
bool enterStartFolder(const WalkControls& controls, const QString& sourceFolder)
{
    if (!controls.Dir1.setPath(sourceFolder))
        return false;
    controls.Dir1.Refresh();
    if (!controls.File1.setPath(controls.Dir1.Path()))
        return false;
    controls.File1.Refresh();
    return !controls.Dir1.readFailed() && !controls.File1.readFailed();
}

// Moving Dir1 reads the folder; File1 usually already follows through Dir1's change
// handler, and then pointing it there again reads nothing.
bool enterQueuedFolder(const WalkControls& controls, const QString& folder, bool exists)
{
    return exists && controls.Dir1.setPath(folder) && controls.File1.setPath(controls.Dir1.Path());
}

void queueSubfolders(const WalkControls& controls, const FolderReads& reads, WalkLineage& lineage)
{
    for (qsizetype i = 0; i < controls.Dir1.ListCount(); ++i)
        controls.List1.AddItem(controls.Dir1.List(i));
    const FolderReads::Read* read = reads.last(controls.Dir1.Path());
    lineage.queued(controls.Dir1.ListCount(), read ? read->scan.folderKinds : QList<SubfolderKind>());
}

// Only a link or a mount point may lead back up; a link below a folder whose links are not
// followed is not followed either.
bool isFollowed(const FolderReads::Found& found, const WalkLineage& lineage)
{
    if (found.throughLink && !lineage.mayFollowLinkAtNext())
        return false;
    if (!found.throughLink && lineage.kindOfNext() != SubfolderKind::MountPoint)
        return true;
    return !lineage.leadsBack(found.identity);
}

WalkLineage lineageOfStart(const WalkControls& controls, FolderReads& reads)
{
    const std::optional<WindowsPath> start = WindowsPath::parse(controls.Dir1.Path());
    return WalkLineage(start ? reads.handles().identitiesOnWay(*start) : std::vector<FolderHandles::Identity>());
}

// The files of a folder share its path up to their names: it is given once, and the names
// go on as the host gave them.
void collectFiles(const WalkControls& controls)
{
    controls.List2.addItems(WindowsPath::joinName(controls.Dir1.Path(), QStringView()), controls.File1.hostNames());
}

// About what an entry of the result list or the queue takes, with its share of the path.
constexpr std::size_t kBytesPerEntry = 96;

// What the folder entered last added to the lists counts against the run's memory.
Shortage shortageAfterFolder(const WalkControls& controls, FolderReads& reads)
{
    if (reads.ranOutOfDescriptors())
        return Shortage::OpenFiles;
    const auto entries = std::size_t(controls.File1.ListCount() + controls.Dir1.ListCount());
    if (!reads.memory().grew(entries * kBytesPerEntry))
        return Shortage::Memory;
    return Shortage::None;
}

// Where the user finds an entry the list could not name: on the host, as a file manager
// or a shell shows it.
QByteArray hostPathOf(const QString& windowsPath)
{
    return HostLocation::pathOf(windowsPath).value_or(windowsPath.toUtf8());
}

void noteNames(const QString& folder, const HostNames& names, RunNotes& notes)
{
    if (names.isEmpty())
        return;
    notes.leftOutNames += names.size();
    QByteArray parent = hostPathOf(folder);
    if (!parent.endsWith('/'))
        parent.append('/');
    for (qsizetype i = 0; i < names.size(); ++i)
        notes.entries.add(LeftOutEntries::Kind::NameLeftOut, QByteArray(parent).append(names.at(i)));
}

void noteNotFollowed(const QString& folder, RunNotes& notes)
{
    qCDebug(walkLog) << "link not followed:" << folder;
    ++notes.linksNotFollowed;
    notes.entries.add(LeftOutEntries::Kind::LinkNotFollowed, hostPathOf(folder));
}

void noteUnreadable(const QString& folder, RunNotes& notes)
{
    ++notes.unreadableFolders;
    notes.entries.add(LeftOutEntries::Kind::Unreadable, hostPathOf(folder));
}

void noteWhatWasLeftOut(const WalkControls& controls, RunNotes& notes)
{
    if (controls.Dir1.readFailed() || controls.File1.readFailed()) {
        qCDebug(walkLog) << "not read to its end:" << controls.Dir1.Path();
        noteUnreadable(controls.Dir1.Path(), notes);
    }
    noteNames(controls.Dir1.Path(), controls.Dir1.leftOutHostNames(), notes);
    noteNames(controls.Dir1.Path(), controls.File1.leftOutHostNames(), notes);
}

} // namespace

WalkResult FolderWalk::run(WalkControls controls, const QString& sourceFolder, const QString& pattern,
                           const std::function<bool()>& includeSubfolders, std::stop_token stop)
{
    controls.File1.setPattern(pattern);
    controls.List1.Clear();
    controls.List2.Clear();

    FolderReads reads(stop);
    const SharedReads sharing(controls, reads);
    WalkResult result;
    const bool startRead = enterStartFolder(controls, sourceFolder);
    result.shortage = shortageAfterFolder(controls, reads);
    if (!startRead || result.shortage != Shortage::None)
        return result;
    result.sourceRead = true;

    WalkLineage lineage = lineageOfStart(controls, reads);
    collectFiles(controls);
    queueSubfolders(controls, reads, lineage);
    noteNames(controls.Dir1.Path(), controls.File1.leftOutHostNames(), result.notes);
    // A subfolder whose name cannot stand in a path hides its files only when the walk
    // would have gone into it.
    if (includeSubfolders()) {
        noteNames(controls.Dir1.Path(), controls.Dir1.leftOutHostNames(), result.notes);
        reads.readAheadBelow(controls.Dir1.Path());
    }

    for (qsizetype position = 0; position < controls.List1.ListCount() && !stop.stop_requested(); ++position) {
        const QString folder = controls.List1.List(position);
        lineage.takeNext();
        const std::optional<FolderReads::Found> found = PathProbes::folderAt(folder, reads);
        if (found)
            reads.noteFound(*found);
        if (found && !isFollowed(*found, lineage)) {
            if (!includeSubfolders())
                break;
            noteNotFollowed(folder, result.notes);
            continue;
        }
        const bool entered = enterQueuedFolder(controls, folder, found.has_value());
        result.shortage = shortageAfterFolder(controls, reads);
        if (result.shortage != Shortage::None)
            break;
        if (!includeSubfolders())
            break;
        if (!entered) {
            // Removed or moved away: as if it had never been queued. Anything else
            // standing there (a folder that cannot be entered, a link that leads nowhere)
            // hides files the list does not hold.
            if (!PathProbes::isGone(folder, reads.handles())) {
                qCDebug(walkLog) << "not entered:" << folder;
                noteUnreadable(folder, result.notes);
            }
            continue;
        }
        lineage.enter(found->identity, found->throughLink,
                      found->throughLink ? reads.resolvedPathOfLast() : QByteArray());
        queueSubfolders(controls, reads, lineage);
        reads.readAheadBelow(controls.Dir1.Path());
        collectFiles(controls);
        noteWhatWasLeftOut(controls, result.notes);
    }
    return result;
}

QString FolderWalk::countText(qsizetype count)
{
    return QStringLiteral(" %1 Files").arg(count);
}

QString FolderWalk::sourceUnreadableText(const QString& sourceFolder)
{
    return QStringLiteral("Quellverzeichnis ") + sourceFolder + QStringLiteral(" konnte nicht gelesen werden.");
}
