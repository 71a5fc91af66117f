#pragma once

#include <QByteArray>

#include <functional>
#include <string_view>

// One pass over a host folder: the entry type comes from the folder itself, so plain
// files and folders cost no stat.
class HostDirectory {
public:
    enum class EntryKind {
        File,          // a regular file, or a link to one
        Folder,        // a real folder
        LinkToFolder,  // never listed as a folder, so no walk can run in circles
        Other,         // FIFO, socket, device, dangling link
    };

    using Visitor = std::function<void(std::string_view name, EntryKind kind)>;

    enum class Outcome { Complete, Incomplete, NoFolder };
    // Who only wants the folders of a folder lets the host say there are none: most
    // folders of a tree hold files alone, and then they are not read at all.
    enum class Wanted { AllEntries, FoldersOnly };
    // Calls visit for every entry but "." and "..". Tells a folder read to its end
    // (Complete) from one that could not be opened or read to its end (Incomplete) and
    // from a path that names no folder (NoFolder). Opening the folder is the test, so a
    // folder that can be read costs no stat.
    static Outcome readFolder(const QByteArray& hostPath, const Visitor& visit, Wanted wanted = Wanted::AllEntries);

    // Follows links: true for a folder or a link to one.
    static bool isFolder(const QByteArray& hostPath);
    // Follows links: true for a regular file whose length can be read.
    static bool isFile(const QByteArray& hostPath);
};
