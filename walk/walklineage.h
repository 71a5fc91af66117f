#pragma once

#include "walk/folderhandles.h"

#include <QtGlobal>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

// Which folders lie on the path of each folder a walk enters, told apart by device and
// inode. A folder met again on its own path (a link back up to an ancestor or to the
// folder holding it) would lead the walk round in circles; anywhere else the same folder
// may be listed twice, under two names, as a person who made two links expects.
//
// The walk takes its queue in order and queues each folder's subfolders in one go, so the
// parents of the queued folders come in the same order as the folders themselves.
class WalkLineage {
public:
    using Identity = FolderHandles::Identity;

    // The folders from the drive root down to the start folder, which counts as entered.
    explicit WalkLineage(const std::vector<Identity>& startPath);

    // So many subfolders of the folder entered last were queued.
    void queued(qsizetype count);
    // The walk goes on to the next queued folder, entered or not.
    void takeNext();
    // True when the folder taken is one on its own path: it must not be entered.
    bool leadsBack(const std::optional<Identity>& identity) const;
    // The folder taken was entered as that folder.
    void enter(const std::optional<Identity>& identity);

private:
    struct Folder {
        std::optional<Identity> identity;
        std::shared_ptr<const Folder> parent;
    };
    struct Parent {
        std::shared_ptr<const Folder> folder;
        qsizetype childrenLeft;
    };

    std::shared_ptr<const Folder> m_entered;
    std::shared_ptr<const Folder> m_parentOfNext;
    std::deque<Parent> m_parents;
};
