#include "platform/hostfolder.h"

#include "platform/drivetable.h"
#include "platform/hostdirectory.h"

#include <QDir>
#include <QFile>

std::optional<HostFolder> HostFolder::resolve(const WindowsPath& path)
{
    const std::optional<QByteArray> host = DriveTable::active().hostPathOf(path);
    if (!host || !HostDirectory::isFolder(*host))
        return std::nullopt;
    return HostFolder{path, *host};
}

std::optional<HostFolder> HostFolder::locate(QStringView text)
{
    // A walk turns each folder's path into a host path three times in a row (the probe,
    // the folder list, the file list), so the last answer is kept; it holds while its
    // drive still stands on the same host folder.
    struct Located {
        QString text;
        HostFolder folder;
        QByteArray driveRoot;
    };
    static std::optional<Located> last;
    const DriveTable& table = DriveTable::active();
    if (last && last->text == text && table.hostRoot(last->folder.path.drive()) == last->driveRoot)
        return last->folder;
    const std::optional<WindowsPath> path = WindowsPath::parse(text);
    const std::optional<QByteArray> host = path ? table.hostPathOf(*path) : std::nullopt;
    if (!host)
        return std::nullopt;
    last = Located{text.toString(), HostFolder{*path, *host}, *table.hostRoot(path->drive())};
    return last->folder;
}

std::optional<HostFolder> HostFolder::processCurrentFolder()
{
    const DriveTable& table = DriveTable::active();
    if (const auto path = table.windowsPathOf(QFile::encodeName(QDir::currentPath()))) {
        if (auto folder = resolve(*path))
            return folder;
    }
    for (const DriveTable::Drive& drive : table.drives()) {
        if (auto folder = resolve(WindowsPath::root(drive.letter)))
            return folder;
    }
    return std::nullopt;
}
