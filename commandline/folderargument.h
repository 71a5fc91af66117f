#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A folder as a person types it on the command line: Windows-style with a drive letter
// ("C:\Daten", "d:/fotos"), or a path of this machine, absolute or relative to the
// current folder ("/home/anna/Daten", "Daten/2024"), which the drive table maps. Both '\'
// and '/' separate in either form.
namespace FolderArgument {

// The folder as the program names it ("C:\Daten"); nothing when no drive holds a host
// path or a Windows-style text is malformed. Whether the folder exists is not asked.
std::optional<QString> toWindowsPath(const QString& text, const QByteArray& currentHostFolder);

} // namespace FolderArgument
