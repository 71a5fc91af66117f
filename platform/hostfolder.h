#pragma once

#include "platform/windowspath.h"

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

} // namespace HostFolder
