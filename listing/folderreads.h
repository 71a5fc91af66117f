#pragma once

#include "listing/folderscan.h"
#include "platform/folderhandles.h"
#include "platform/windowspath.h"

#include <QString>

#include <optional>

// What a run's folder list and file list share while the walk moves them: the open
// handles near the walk and the last folder read, so that each folder is opened once and
// read once for both lists.
class FolderReads {
public:
    FolderHandles& handles() { return m_handles; }

    struct Read {
        WindowsPath path;
        QString pathText;
        FolderScan scan;
    };
    void keepLast(Read read) { m_last = std::move(read); }
    // The read of that folder when it is the one read last.
    const Read* last(QStringView pathText) const
    {
        return m_last && m_last->pathText == pathText ? &*m_last : nullptr;
    }

private:
    FolderHandles m_handles;
    std::optional<Read> m_last;
};

// The handles a list works through: the run's when it shares them, otherwise its own for
// one operation only, so that no folder stays open between a person's clicks (an open
// folder keeps a stick from being unmounted).
class HandlesInUse {
public:
    explicit HandlesInUse(FolderReads* shared);
    FolderHandles& operator*() { return m_shared ? m_shared->handles() : *m_own; }

private:
    FolderReads* m_shared;
    std::optional<FolderHandles> m_own;
};
