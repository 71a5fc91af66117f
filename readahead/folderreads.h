#pragma once

#include "drives/windowspath.h"
#include "mounts/neverwalkedmounts.h"
#include "readahead/readahead.h"
#include "walk/folderhandles.h"
#include "walk/folderscan.h"

#include <QString>

#include <deque>
#include <memory>
#include <optional>
#include <stop_token>

// What a run's folder list and file list share while the walk moves them: the open
// handles near the walk, the last folder read, so that each folder is opened once and
// read once for both lists, and the folders read ahead of their turn.
class FolderReads {
public:
    // Once a stop is asked for, nothing more is read: a folder asked for then is none.
    explicit FolderReads(std::stop_token stop = {})
        : m_stop(stop)
        , m_ahead(ReadAhead::readBelowParent, std::move(stop))
    {
    }
    // Reads ahead with reads of the caller's own (tests).
    explicit FolderReads(ReadAhead::ReadFolder readFolder, std::stop_token stop = {})
        : m_stop(stop)
        , m_ahead(std::move(readFolder), std::move(stop))
    {
    }

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

    // The subfolders of the folder read last are read ahead, in their order.
    void readAheadBelow(QStringView pathText);
    // What stands under a path (see FolderHandles::look); a folder read ahead is looked at
    // in the parent it was read from, which is still open.
    FolderHandles::Look look(QStringView pathText, bool followLink);
    // The folder found under a path at its turn: a read made ahead of time counts for that
    // same folder only, never for one put in its place since.
    void noteFound(const QString& pathText, FolderHandles::Identity identity);
    // The read made ahead of the folder found last under that path.
    std::optional<Read> takeReadAhead(QStringView pathText);

    // The mounts as they are now, for the reads of a run.
    std::shared_ptr<const NeverWalkedMounts> mounts() { return m_mounts.now(); }

    // Reads a folder through the run's reads where a list shares them, otherwise with
    // handles of its own for this one read, so that no folder stays open between a
    // person's clicks (an open folder keeps a stick from being unmounted).
    static FolderScan read(FolderReads* shared, const WindowsPath& path, const QString& pathText);
    static bool isFolder(FolderReads* shared, const WindowsPath& path);

    // The folders whose subfolders are being read ahead, in the walk's order, held open
    // for their turn; no more than a few, so that a run keeps few files open.
    static constexpr std::size_t kMostParentsHeld = 64;

private:
    // Folders whose subfolders are still to be requested, with the first not yet asked for.
    struct Below {
        WindowsPath path;
        QString pathText;
        QStringList names;
        std::optional<FolderHandles::Identity> identity; // of the folder when it was read
        qsizetype next = 0;
        std::shared_ptr<const FolderHandles::Handle> handle; // opened with the first request
    };
    void requestMore();
    bool openForReaders(Below& below);

    struct Parent {
        QString pathText;
        std::shared_ptr<const FolderHandles::Handle> handle;
    };

    std::stop_token m_stop;
    CurrentMounts m_mounts;
    FolderHandles m_handles;
    std::deque<Below> m_below;
    std::deque<Parent> m_parents;
    std::optional<Read> m_last;
    ReadAhead m_ahead;
    QString m_foundText;
    FolderHandles::Identity m_found;
};
