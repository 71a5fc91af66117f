#pragma once

#include "drives/windowspath.h"

#include <QByteArray>

#include <algorithm>
#include <optional>
#include <string_view>

// Folders as the host has them, in the old platform's form.
namespace HostFolder {

// A name holding '\' or a line break cannot stand in one Windows-style line: as a path it
// would name another folder, or break the list file's line. Name is its text (QStringView,
// QString) or the host's bytes of it (std::string_view): the three are ASCII, and UTF-8
// never uses an ASCII byte within another character, so the bytes hold one exactly when
// the text does.
template <typename Name>
bool canStandInPath(const Name& name)
{
    return std::none_of(name.begin(), name.end(), [](auto unit) { return unit == u'\\' || unit == u'\n' || unit == u'\r'; });
}
bool canStandInPath(const WindowsPath& path);

// What a folder's read asks of each name it lists, in one look at its bytes: whether it
// can stand in a path, and whether it is ASCII throughout.
struct NameBytes {
    bool canStandInPath;
    bool isAscii;
};
NameBytes lookAtName(std::string_view name);

// Where lists begin: the process's current folder (or its nearest ancestor whose path can
// be written), or else the root of the first ready drive.
std::optional<WindowsPath> processCurrentFolder();

// The process's current folder as the host names it, byte for byte.
QByteArray currentHostPath();

// The folder the file system reaches under a path, named without links, "." or "..";
// nothing when it reaches none.
std::optional<QByteArray> physicalPath(const QByteArray& path);

// A path of this machine as a person types it, absolute or relative to currentHostFolder,
// made absolute. ".." means what it means to the file system (the parent of the folder a
// link leads to, not of the link), so the part up to the last ".." is resolved by it;
// what follows keeps its names, links included. Nothing when that part leads nowhere.
std::optional<QByteArray> resolveTypedHostPath(const QByteArray& typed, const QByteArray& currentHostFolder);

} // namespace HostFolder
