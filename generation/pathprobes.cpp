#include "generation/pathprobes.h"

#include "platform/hostdirectory.h"
#include "platform/hostfolder.h"

namespace {

std::optional<QByteArray> hostPathOf(const QString& path)
{
    const std::optional<HostFolder> located = HostFolder::locate(path);
    return located ? std::optional(located->hostPath) : std::nullopt;
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
