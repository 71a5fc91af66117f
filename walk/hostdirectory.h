#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include <sys/types.h>

class NeverWalkedMounts;

// One pass over an open host folder: the entry type comes from the folder read itself,
// so plain files and folders cost no stat.
class HostDirectory {
public:
    enum class EntryKind {
        File,            // a regular file, or a link to one
        Folder,          // a folder of the same file system
        MountPoint,      // a folder where the mount table has another file system mounted
        FolderLink,      // a link to a folder
        PseudoFolder,    // a file system that holds no real files, or a link into one
        Other,           // FIFO, socket, device, dangling link
    };

    using Visitor = std::function<void(std::string_view name, EntryKind kind)>;

    enum class Outcome { Complete, Incomplete };
    struct Read {
        Outcome outcome = Outcome::Incomplete;
        // The folder's own inode number as its "." entry gives it, where it has one: on
        // most file systems the folder's identity, at no cost.
        std::optional<ino_t> ownInode;
        // Its parent's, as its ".." entry gives it. At the root of a file system, the
        // root's own.
        std::optional<ino_t> parentInode;
    };
    // Calls visit for every visible entry: hidden ones (a name beginning with '.', which
    // takes in "." and "..") are passed over unseen. Incomplete when the folder could not be
    // read to its end, or when the kind of an entry could not be told (a link in a folder
    // that may be listed but not entered): something may be missing. A handle read before
    // is read from the start.
    enum class Start { Fresh, Rewind };
    static Read readFolder(int folder, const NeverWalkedMounts& mounts, Start start, const Visitor& visit);
};
