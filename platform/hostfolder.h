#pragma once

#include "platform/windowspath.h"

#include <QByteArray>

#include <optional>

// An existing folder, in the old platform's form and as the host knows it.
struct HostFolder {
    WindowsPath path;
    QByteArray hostPath;

    // Only a path that names an existing folder on a drive of the table resolves.
    static std::optional<HostFolder> resolve(const WindowsPath& path);
    // The path a text names and its host path, without asking the host whether anything
    // is there. Nothing for a text that is no path or lies on no drive of the table.
    static std::optional<HostFolder> locate(QStringView text);

    // Where lists begin: the process's current folder, or else the root of the first
    // ready drive.
    static std::optional<HostFolder> processCurrentFolder();
};
