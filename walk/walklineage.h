#pragma once

#include "walk/folderhandles.h"
#include "walk/folderscan.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <deque>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

// The walk's loop rule. A folder can lead back to one on its own path only through a link
// or a mount point (a folder mounted again below itself): only there are the folders on
// its path, told apart by device and inode, asked about. A real subfolder is never taken
// for a loop, also on a file system that gives every folder the same inode number.
// Anywhere else the same folder may be listed twice, under two names, as a person who made
// two links expects.
//
// Links that lead to one folder by many ways (a lattice of them, planted in a shared
// folder) would make a walk list it as often as there are ways. So a folder reached
// through a link has its own links followed the first time a run enters it through one;
// later it is listed again, its real subfolders too, but no link below it is followed.
//
// The walk takes its queue in order and queues each folder's subfolders in one go, so the
// parents of the queued folders come in the same order as the folders themselves.
class WalkLineage {
public:
    using Identity = FolderHandles::Identity;

    // The folders from the drive root down to the start folder, which counts as entered.
    explicit WalkLineage(const std::vector<Identity>& startPath);

    // So many subfolders of the folder entered last were queued, of these kinds (empty:
    // all plain).
    void queued(qsizetype count, const QList<SubfolderKind>& kinds);
    // The walk goes on to the next queued folder, entered or not.
    void takeNext();
    // What the folder taken was to its parent's read.
    SubfolderKind kindOfNext() const { return m_kindOfNext; }
    // Whether a link there may be followed at all.
    bool mayFollowLinkAtNext() const;
    // True when the folder taken is one on its own path: it must not be entered.
    bool leadsBack(const Identity& identity) const;
    // The folder taken was entered as that folder; reached through a link, it is told apart
    // also by the path the host resolves it to.
    void enter(const Identity& identity, bool throughLink, const QByteArray& resolvedPath = {});

private:
    struct Folder {
        Identity identity;
        std::shared_ptr<const Folder> parent;
        bool followsLinks;
    };
    struct Parent {
        std::shared_ptr<const Folder> folder;
        qsizetype count;
        qsizetype taken;
        QList<SubfolderKind> kinds;
    };

    std::shared_ptr<const Folder> m_entered;
    std::shared_ptr<const Folder> m_parentOfNext;
    SubfolderKind m_kindOfNext = SubfolderKind::Plain;
    std::deque<Parent> m_parents;
    // The folders entered through a link so far.
    std::set<std::tuple<dev_t, ino_t, QByteArray>> m_enteredThroughLink;
};
