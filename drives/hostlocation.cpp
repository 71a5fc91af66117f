#include "drives/hostlocation.h"

#include "drives/drivetable.h"
#include "drives/windowspath.h"

namespace HostLocation {

std::optional<QByteArray> pathOf(const QString& windowsPath)
{
    const std::optional<WindowsPath> path = WindowsPath::parse(windowsPath);
    if (!path)
        return std::nullopt;
    return DriveTable::active().hostPathOf(*path);
}

std::optional<QUrl> urlOf(const QString& windowsPath)
{
    const std::optional<QByteArray> host = pathOf(windowsPath);
    if (!host)
        return std::nullopt;
    // Percent-encoded byte for byte, so a name that is no UTF-8 reaches the desktop as the
    // file system spells it.
    return QUrl::fromEncoded(QByteArrayLiteral("file://") + host->toPercentEncoding("/"), QUrl::StrictMode);
}

} // namespace HostLocation
