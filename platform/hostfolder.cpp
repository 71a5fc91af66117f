#include "platform/hostfolder.h"

#include "platform/drivetable.h"
#include "platform/folderhandles.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace {

// The deepest part of the path whose names can all be written.
WindowsPath writablePart(const WindowsPath& path)
{
    const QStringList& names = path.names();
    const auto firstBad = std::find_if(names.cbegin(), names.cend(),
                                       [](const QString& name) { return !HostFolder::canStandInPath(name); });
    WindowsPath part = WindowsPath::root(path.drive());
    for (auto name = names.cbegin(); name != firstBad; ++name)
        part = part.child(*name);
    return part;
}

} // namespace

namespace HostFolder {

bool canStandInPath(QStringView name)
{
    return std::none_of(name.begin(), name.end(), [](QChar c) { return c == u'\\' || c == u'\n' || c == u'\r'; });
}

bool canStandInPath(const WindowsPath& path)
{
    return std::all_of(path.names().cbegin(), path.names().cend(),
                       [](const QString& name) { return canStandInPath(name); });
}

std::optional<WindowsPath> processCurrentFolder()
{
    const DriveTable& table = DriveTable::active();
    FolderHandles handles;
    auto isFolder = [&](const WindowsPath& path) {
        return handles.open(path).reach == FolderHandles::Reach::Opened;
    };
    if (const auto current = table.windowsPathOf(currentHostPath())) {
        for (WindowsPath path = writablePart(*current);; path = path.parent()) {
            if (isFolder(path))
                return path;
            if (path.isRoot())
                break;
        }
    }
    for (const DriveTable::Drive& drive : table.drives()) {
        if (isFolder(WindowsPath::root(drive.letter)))
            return WindowsPath::root(drive.letter);
    }
    return std::nullopt;
}

QByteArray currentHostPath() { return QFile::encodeName(QDir::currentPath()); }

std::optional<WindowsPath> fromTypedHostPath(const QString& typed, const QByteArray& currentHostFolder)
{
    const QString absolute = QDir::isAbsolutePath(typed) ? typed : QFile::decodeName(currentHostFolder) + u'/' + typed;
    return DriveTable::active().windowsPathOf(QFile::encodeName(QDir::cleanPath(absolute)));
}

} // namespace HostFolder
