#include "generation/folderwalk.h"

#include "generation/pathprobes.h"
#include "listing/filelist.h"
#include "listing/folderlist.h"
#include "listing/listbox.h"
#include "platform/windowspath.h"

namespace {

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
bool enterQueuedFolder(const WalkControls& controls, const QString& folder)
{
    return PathProbes::DirExists(folder) && controls.Dir1.setPath(folder)
        && controls.File1.setPath(controls.Dir1.Path());
}

void queueSubfolders(const WalkControls& controls)
{
    for (qsizetype i = 0; i < controls.Dir1.ListCount(); ++i)
        controls.List1.AddItem(controls.Dir1.List(i));
}

void collectFiles(const WalkControls& controls)
{
    // One buffer for every path of the folder: a folder may hold thousands of files.
    QString path = WindowsPath::joinName(controls.Dir1.Path(), QStringView());
    const qsizetype folderLength = path.size();
    for (qsizetype i = 0; i < controls.File1.ListCount(); ++i) {
        path.truncate(folderLength);
        path.append(controls.File1.List(i));
        controls.List2.AddItem(path);
    }
}

void noteWhatWasLeftOut(const WalkControls& controls, RunNotes& notes)
{
    if (controls.Dir1.readFailed() || controls.File1.readFailed())
        ++notes.unreadableFolders;
    notes.leftOutNames += controls.Dir1.leftOutNames() + controls.File1.leftOutNames();
}

} // namespace

WalkResult FolderWalk::run(WalkControls controls, const QString& sourceFolder, const QString& pattern,
                           const std::function<bool()>& includeSubfolders)
{
    controls.File1.setPattern(pattern);
    controls.List1.Clear();
    controls.List2.Clear();

    WalkResult result;
    if (!enterStartFolder(controls, sourceFolder))
        return result;
    result.sourceRead = true;

    collectFiles(controls);
    queueSubfolders(controls);
    result.notes.leftOutNames += controls.File1.leftOutNames();
    // A subfolder whose name cannot stand in a path hides its files only when the walk
    // would have gone into it.
    if (includeSubfolders())
        result.notes.leftOutNames += controls.Dir1.leftOutNames();

    for (qsizetype position = 0; position < controls.List1.ListCount(); ++position) {
        const bool entered = enterQueuedFolder(controls, controls.List1.List(position));
        if (!includeSubfolders())
            break;
        if (!entered)
            continue;
        queueSubfolders(controls);
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
