#pragma once

#include "mounts/neverwalkedmounts.h"
#include "process/memorybudget.h"
#include "walk/filepattern.h"
#include "walk/folderhandles.h"
#include "walk/hostnames.h"

#include <QStringList>

#include <memory>
#include <optional>


// What a subfolder is to the walk's loop rule: only a link, or a folder where another file
// system is mounted, can lead back to a folder on its own path.
enum class SubfolderKind : quint8 { Plain, Link, MountPoint };

// A folder to be read below its parent, as the parent's read found it. A plain folder is
// opened only where it still is one, never through a link put in its place since. Its
// identity is the device given with the inode number of its own listing ("."), where the
// device is trusted to give one; otherwise it is asked of the host.
struct FolderBelow {
    SubfolderKind kind = SubfolderKind::Plain;
    std::optional<dev_t> device;
    // Given where that identity must hold with no look at the folder's turn to check it,
    // on a file system that lists its own folders (FileSystemTypes::listsOwnFolders): the
    // parent's inode number, which the folder's ".." entry must name too. A file system
    // mounted there since the parent was read names its own root there instead, and the
    // folder itself is asked.
    std::optional<ino_t> parentInode;
    // Where it has subfolders, it stays open after its read, to read them below it in
    // turn: opening it again for them would cost two calls more, and a check that it is
    // still the folder read.
    bool keepOpen = false;
};

// The visible entries of one folder, read once for both the folder list and the file list:
// no hidden names (a leading '.'), no system entries, no pseudo file systems; a link is
// listed as what it leads to, under its own name; sorted by name, letter case not counted, ties broken case-sensitively so that
// every run sees the same order.
struct FolderScan {
    QStringList folders;
    // The kind of each of them, in the same order; empty when all of them are plain.
    QList<SubfolderKind> folderKinds;
    // Files stay in the host's bytes: most of them go straight on into a list.
    HostNames files;
    // Names that cannot stand in one Windows-style line ('\' or a line break) are left out
    // and counted, so that the caller can say so. A file counts only where the pattern
    // takes it, so its names are kept.
    HostNames unwritableFolders;
    HostNames unwritableFiles;
    // False when the folder could not be read (to its end).
    bool complete = false;
    // False when the path names no folder at all; a folder that cannot be read is one.
    bool isFolder = false;
    // The folder that was read, when it could be opened.
    std::optional<FolderHandles::Identity> identity;
    // Its inode number as its own listing gives it ("."), where it does.
    std::optional<ino_t> ownInode;
    // The path the host resolves it to, where it was read through a link.
    QByteArray resolvedPath;
    // A folder could not be opened (or read) because the process had no descriptor left.
    bool outOfDescriptors = false;
    // The folder itself, where it was kept open after its read (FolderBelow::keepOpen).
    std::shared_ptr<const FolderHandles::Handle> heldOpen;

    // The folder at path, whose text (path.toString()) the caller has at hand; the names
    // gathered count against memory, where given, and a folder that outgrows it is read no
    // further.
    static FolderScan read(FolderHandles& handles, const WindowsPath& path, const QString& pathText,
                           const NeverWalkedMounts& mounts, MemoryBudget* memory = nullptr);

    // What the host gives of one folder, sorted, before any name is decoded, so that it can
    // be read on one thread and listed on another without a name changing hands (a name
    // made on one thread and dropped on the other costs both of them a lock).
    struct Entries {
        bool isFolder = false;
        bool complete = false;
        bool outOfDescriptors = false;
        std::optional<FolderHandles::Identity> identity;
        std::optional<ino_t> ownInode;
        std::optional<ino_t> parentInode; // as its ".." entry gives it
        // The path the host resolves the folder to, for a folder read through a link.
        QByteArray resolvedPath;
        HostNames folders;
        QList<SubfolderKind> folderKinds;
        HostNames unwritableFolders;
        HostNames files;
        HostNames unwritableFiles;
        std::shared_ptr<const FolderHandles::Handle> heldOpen;
    };
    static Entries readEntries(FolderHandles& handles, const WindowsPath& path, const QString& pathText,
                               const NeverWalkedMounts& mounts, MemoryBudget* memory = nullptr);
    // The same for the folder of that name below a parent held open, as its parent's read
    // found it (see FolderBelow).
    static Entries readEntriesBelow(const FolderHandles::Handle& parent, const QByteArray& name,
                                    const NeverWalkedMounts& mounts, const FolderBelow& below,
                                    MemoryBudget* memory = nullptr);
    static FolderScan fromEntries(const Entries& entries);
    // The host's own path of the folder a handle stands for, links resolved; empty where it
    // cannot be told.
    static QByteArray resolvedPathOf(int descriptor);

    struct MatchingFiles {
        HostNames names;
        HostNames leftOut;
    };
    MatchingFiles filesMatching(const FilePattern& pattern) const;
};
