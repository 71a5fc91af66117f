#include "generation/pathprobes.h"

#include "drives/drivetable.h"
#include "process/childprobe.h"
#include "walk/hostfolder.h"

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

std::optional<FolderReads::Found> folderAt(const QString& path, FolderReads& reads)
{
    const FolderHandles::Look look = reads.look(path, false);
    switch (look.standing) {
    case Standing::Folder:
        return FolderReads::Found{path, look.identity, false};
    case Standing::Other: // a link, perhaps to a folder
    case Standing::Unknown: {
        const FolderHandles::Look followed = reads.look(path, true);
        if (followed.standing != Standing::Folder)
            return std::nullopt;
        return FolderReads::Found{path, followed.identity, true};
    }
    default:
        return std::nullopt;
    }
}

std::optional<bool> DirExistsWithin(const QString& path, std::chrono::milliseconds limit)
{
    const std::optional<WindowsPath> parsed = WindowsPath::parse(path);
    const std::optional<QByteArray> host = parsed && HostFolder::canStandInPath(*parsed)
        ? DriveTable::active().hostPathOf(*parsed)
        : std::nullopt;
    if (!host)
        return false;
    return ChildProbe::ask(ChildProbe::isFolder, *host, limit);
}

bool isGone(const QString& path, FolderHandles& handles)
{
    const Standing standing = standingOf(path, handles, false);
    return standing == Standing::Missing || standing == Standing::File;
}

} // namespace PathProbes
