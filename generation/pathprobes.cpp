#include "generation/pathprobes.h"

#include "readahead/folderreads.h"
#include "walk/folderhandles.h"

namespace {

using Standing = FolderHandles::Standing;

Standing standingOf(const QString& path, FolderHandles& handles, bool followLink)
{
    return handles.look(path, followLink).standing;
}

} // namespace

namespace PathProbes {

bool DirExists(const QString& path)
{
    FolderHandles handles;
    return standingOf(path, handles, true) == Standing::Folder;
}

bool DirExists(const QString& path, FolderReads& reads)
{
    const FolderHandles::Look look = reads.look(path, false);
    switch (look.standing) {
    case Standing::Folder:
        reads.noteFound(path, look.identity, false);
        return true;
    case Standing::Other: // a link, perhaps to a folder
    case Standing::Unknown: {
        const FolderHandles::Look followed = reads.look(path, true);
        if (followed.standing != Standing::Folder)
            return false;
        reads.noteFound(path, followed.identity, true);
        return true;
    }
    default:
        return false;
    }
}

bool isGone(const QString& path, FolderHandles& handles)
{
    const Standing standing = standingOf(path, handles, false);
    return standing == Standing::Missing || standing == Standing::File;
}

} // namespace PathProbes
