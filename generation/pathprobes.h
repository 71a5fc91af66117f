#pragma once

#include <QString>

// Yes-or-no questions about a path that never fail: anything that cannot be asked
// (no such drive, a drive that is not ready, a malformed path) answers false.
namespace PathProbes {

// True for an existing folder, drive roots included.
bool DirExists(const QString& path);

// True for an existing file that is not a folder and whose length can be read, also of
// length 0. A folder never counts, so an empty list-file name (the path then names the
// target folder) can never pass for a written file.
bool FileExists(const QString& path);

} // namespace PathProbes
