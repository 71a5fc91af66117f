#include "platform/hosturl.h"

#include "platform/drivetable.h"
#include "platform/windowspath.h"

namespace HostUrl {

std::optional<QUrl> of(const QString& windowsPath)
{
    const std::optional<WindowsPath> path = WindowsPath::parse(windowsPath);
    if (!path)
        return std::nullopt;
    const std::optional<QByteArray> host = DriveTable::active().hostPathOf(*path);
    if (!host)
        return std::nullopt;
    // Percent-encoded byte for byte, so a name that is no UTF-8 reaches the desktop as the
    // file system spells it.
    return QUrl::fromEncoded(QByteArrayLiteral("file://") + host->toPercentEncoding("/"), QUrl::StrictMode);
}

} // namespace HostUrl
