#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// Where the desktop finds a file or folder the program knows by its Windows-style path:
// a file:// address of the host path, its bytes as they are.
namespace HostUrl {

// Nothing when the path names no drive of the active drive table.
std::optional<QUrl> of(const QString& windowsPath);

} // namespace HostUrl
