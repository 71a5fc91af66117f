#pragma once

#include "platform/windowspath.h"

#include <QByteArray>

#include <optional>

// Folders as the host has them, in the old platform's form.
namespace HostFolder {

// A name holding '\' or a line break cannot stand in one Windows-style line: as a path it
// would name another folder, or break the list file's line.
bool canStandInPath(QStringView name);
bool canStandInPath(const WindowsPath& path);

// Where lists begin: the process's current folder (or its nearest ancestor whose path can
// be written), or else the root of the first ready drive.
std::optional<WindowsPath> processCurrentFolder();

// The process's current folder as the host names it.
QByteArray currentHostPath();

// A path of this machine as a person types it, absolute or relative to currentHostFolder,
// in the old platform's form; ".." goes by name, as a shell user reads it. Nothing when
// no drive holds it. Its names may still be ones that cannot stand in a path.
std::optional<WindowsPath> fromTypedHostPath(const QString& typed, const QByteArray& currentHostFolder);

} // namespace HostFolder
