#pragma once

struct stat;

// Who may use a file, carried from the file a new one replaces: owner, group, permission
// bits and the access list, plus the user's own extended attributes.
namespace FileAttributes {

// Gives the new file (open for writing) the old file's owner, group, permission bits and
// POSIX access list. False where the new file does not have them all in the end (another
// person's file, a group the user is not in, an access list the file system will not
// store): it must then not replace the old one. A file system that keeps no owners gives
// every file the same ones, so there the new file has them whatever fchown answered. The
// user.* extended attributes are copied where the file system takes them; they do not decide.
bool carryOver(int oldFile, const struct stat& old, int newFile);

} // namespace FileAttributes
