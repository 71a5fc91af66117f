#pragma once

struct stat;

// Who may use a file, carried from the file a new one replaces: owner, group, permission
// bits and the access list, plus the user's own extended attributes.
namespace FileAttributes {

// Gives the new file (open for writing) the old file's owner, group, permission bits and
// POSIX access list. False where any of them cannot be carried exactly (another person's
// file, a group the user is not in, an access list the file system will not store): the
// new file must then not replace the old one. The user.* extended attributes are copied
// where the file system takes them; they do not decide.
bool carryOver(int oldFile, const struct stat& old, int newFile);

} // namespace FileAttributes
