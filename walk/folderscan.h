#pragma once

#include "mounts/neverwalkedmounts.h"
#include "walk/filepattern.h"
#include "walk/folderhandles.h"
#include "walk/hostnames.h"

#include <QStringList>

#include <optional>


// The visible entries of one folder, read once for both the folder list and the file list:
// no hidden names (a leading '.'), no system entries, no pseudo file systems; a link is
// listed as what it leads to, under its own name; sorted by name, letter case not counted, ties broken case-sensitively so that
// every run sees the same order.
struct FolderScan {
    QStringList folders;
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

    static FolderScan read(FolderHandles& handles, const WindowsPath& path, const NeverWalkedMounts& mounts);
    // The same where the caller has the path's text at hand.
    static FolderScan read(FolderHandles& handles, const WindowsPath& path, const QString& pathText,
                           const NeverWalkedMounts& mounts);

    // What the host gives of one folder, sorted, before any name is decoded, so that it can
    // be read on one thread and listed on another without a name changing hands (a name
    // made on one thread and dropped on the other costs both of them a lock).
    struct Entries {
        bool isFolder = false;
        bool complete = false;
        std::optional<FolderHandles::Identity> identity;
        HostNames folders;
        HostNames unwritableFolders;
        HostNames files;
        HostNames unwritableFiles;
    };
    static Entries readEntries(FolderHandles& handles, const WindowsPath& path, const QString& pathText,
                               const NeverWalkedMounts& mounts);
    // The same for the folder of that name below a parent held open.
    static Entries readEntriesBelow(const FolderHandles::Handle& parent, const QByteArray& name,
                                    const NeverWalkedMounts& mounts);
    static FolderScan fromEntries(const Entries& entries);

    struct MatchingFiles {
        HostNames names;
        HostNames leftOut;
    };
    MatchingFiles filesMatching(const FilePattern& pattern) const;
};
