#pragma once

#include <QByteArray>
#include <QList>

// Small files the kernel writes about this process (/proc/self, the control groups), read
// in one go: none of them is larger than a few lines.
namespace KernelFiles {

// The file whole, up to 4 KiB; empty where it cannot be read.
QByteArray readSmall(const QByteArray& path);

// The folders of this process's control group in the unified hierarchy and of those above
// it, innermost first, the root itself left out (it sets no limits): where each limit that
// holds for the process is written.
QList<QByteArray> ownCgroupFolders();

} // namespace KernelFiles
