#include "generation/pathprobes.h"

#include "platform/drivetable.h"
#include "platform/hostdirectory.h"

namespace {

std::optional<QByteArray> hostPathOf(const QString& path)
{
    const std::optional<WindowsPath> parsed = WindowsPath::parse(path);
    return parsed ? DriveTable::active().hostPathOf(*parsed) : std::nullopt;
}

} // namespace

namespace PathProbes {

bool DirExists(const QString& path)
{
    const std::optional<QByteArray> host = hostPathOf(path);
    return host && HostDirectory::isFolder(*host);
}

bool FileExists(const QString& path)
{
    const std::optional<QByteArray> host = hostPathOf(path);
    return host && HostDirectory::isFile(*host);
}

} // namespace PathProbes
