#pragma once

#include "readahead/folderreads.h"

#include <QString>

#include <chrono>
#include <optional>

// Questions about a path that never fail and change nothing: anything that cannot be asked
// (no such drive, a drive that is not ready, a malformed path) answers no.
namespace PathProbes {

// True for an existing folder, drive roots included, and for a link to one.
bool DirExists(const QString& path);
// The same through the reads a walk shares: the folder that stands under the path, and
// whether a link leads to it; nothing where none does. The walk hands it to the reads
// (FolderReads::noteFound), which take a read made ahead of time for that folder only.
std::optional<FolderReads::Found> folderAt(const QString& path, FolderReads& reads);
// DirExists asked in a process of its own (see ChildProbe): nothing when the folder gives
// no answer within limit, a share that stopped answering.
std::optional<bool> DirExistsWithin(const QString& path, std::chrono::milliseconds limit);

// True when nothing but a file stands under the path any more: a folder removed or moved
// away. A folder that stays, a link put in its place or a name that cannot be looked at
// is not gone.
bool isGone(const QString& path, FolderHandles& handles);

} // namespace PathProbes
