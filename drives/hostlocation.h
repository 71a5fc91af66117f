#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

// Where the host keeps what the program knows by a Windows-style path. Nothing when the
// path names no drive of the active drive table.
namespace HostLocation {

std::optional<QByteArray> pathOf(const QString& windowsPath);
// A file:// address of the host path, its bytes as they are: what the desktop opens.
std::optional<QUrl> urlOf(const QString& windowsPath);

} // namespace HostLocation
