#include "generation/pathprobes.h"

#include "platform/folderhandles.h"

namespace {

using Standing = FolderHandles::Standing;

Standing standingOf(const QString& path, FolderHandles& handles, bool followLink)
{
    const std::optional<WindowsPath> parsed = WindowsPath::parse(path);
    return parsed ? handles.standing(*parsed, followLink) : Standing::Missing;
}

} // namespace

namespace PathProbes {

bool DirExists(const QString& path)
{
    FolderHandles handles;
    return DirExists(path, handles);
}

bool DirExists(const QString& path, FolderHandles& handles)
{
    // Opening is the cheapest test, and the walk needs the folder open next anyway.
    switch (handles.open(path).reach) {
    case FolderHandles::Reach::Opened:
        return true;
    case FolderHandles::Reach::NotAFolder:
    case FolderHandles::Reach::Blocked:
        return standingOf(path, handles, true) == Standing::Folder;
    default:
        return false;
    }
}

bool FileExists(const QString& path)
{
    FolderHandles handles;
    return standingOf(path, handles, true) == Standing::File;
}

bool isGone(const QString& path, FolderHandles& handles)
{
    const Standing standing = standingOf(path, handles, false);
    return standing == Standing::Missing || standing == Standing::File;
}

} // namespace PathProbes
