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

std::optional<HostFolder> HostFolder::resolve(QStringView text)
{
    const std::optional<WindowsPath> path = WindowsPath::parse(text);
    return path ? resolve(*path) : std::nullopt;
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
