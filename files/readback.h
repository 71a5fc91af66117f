#pragma once

#include <QByteArrayView>

#include <sys/types.h>

// Some file systems answer a write with success and keep something else (a FAT stick
// through a FUSE driver keeps the old bytes). A file written over where it stands is read
// back before its write counts as done.
namespace ReadBack {

// The last bytes written, up to kTailLength of them, kept to compare with the file.
constexpr qsizetype kTailLength = 64 * 1024;

// True when the file is length bytes long and ends in tail, as the file system itself
// answers past the page cache (a cached page would show what was written, not what was kept).
bool holds(int file, off_t length, QByteArrayView tail);

} // namespace ReadBack
