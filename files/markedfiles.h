#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <ctime>
#include <optional>

struct stat;

// The files a write leaves beside the file it writes for a while: a temporary file that
// gets the file's name once complete, and a copy of the old bytes while the file is written
// over where it stands. Their names begin with a marker no person would give a file, so
// that a later write can tell them from everything else in the folder.
namespace MarkedFiles {

// A temporary file that has not changed for this long was left by a write that never ended.
constexpr time_t kStaleAfterSeconds = 60 * 60;

// ".Korvale~neu~" and eight random letters and digits.
QByteArray temporaryName();
bool isTemporaryName(QByteArrayView name);
// ".Korvale~alt~" and the file's name; nothing where that is too long for a name.
std::optional<QByteArray> keptCopyName(QByteArrayView fileName);

// Opens a marked file in the folder for removal or restore, never through a link, never a
// FIFO or device, never one whose name has a second link, and locks it at once: -1 where it
// is none of these or a write holds its lock. info is its state as opened.
int openUnused(int folder, const QByteArray& name, struct stat& info);
// Removes the name where it still names the file open as file; then syncs the folder.
bool removeIfStill(int folder, const QByteArray& name, int file);
// Removes the temporary files that belong to this user, that no write holds and that have
// not changed for kStaleAfterSeconds. Copies of old bytes are never touched here.
void removeStaleTemporaries(int folder);
// So that a new or removed name survives a power cut too; a folder that cannot be synced is
// no failure.
void syncFolder(int folder);

} // namespace MarkedFiles
