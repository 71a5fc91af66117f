#pragma once

#include "drives/windowspath.h"
#include "mounts/neverwalkedmounts.h"
#include "process/memorybudget.h"
#include "process/openfilebudget.h"
#include "readahead/readahead.h"
#include "walk/folderhandles.h"
#include "walk/folderscan.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <cstdint>

#include <deque>
#include <memory>
#include <optional>
#include <stop_token>

// What a run's folder list and file list share while the walk moves them: the open
// handles near the walk, the last folder read, so that each folder is opened once and
// read once for both lists, and the folders read ahead of their turn. The handles kept,
// the parents held for the readers and the readers themselves share one budget of open
// files (see OpenFileBudget).
class FolderReads {
public:
    // Once a stop is asked for, nothing more is read: a folder asked for then is none.
    explicit FolderReads(std::stop_token stop = {});
    // Reads ahead with reads of the caller's own (tests), and where the walk reads itself
    // as asked.
    explicit FolderReads(ReadAhead::ReadFolder readFolder, std::stop_token stop = {},
                         ReadAhead::WalkReads walkReads = walkReadsHere());
    // With one processor the walk reads folders itself where it may (see ReadAhead).
    static ReadAhead::WalkReads walkReadsHere();
    FolderReads(const FolderReads&) = delete;
    FolderReads& operator=(const FolderReads&) = delete;

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
    // The path the host resolves the folder read last to, links resolved; empty where
    // that cannot be told.
    QByteArray resolvedPathOfLast();

    // The subfolders of the folder read last are read ahead, in their order.
    void readAheadBelow(QStringView pathText);
    // What stands under a path (see FolderHandles::look); a folder read ahead is looked at
    // in the parent it was read from, which is still open.
    FolderHandles::Look look(QStringView pathText, bool followLink);

    // The folder found under a path at its turn, and whether through a link: a read made
    // ahead of time counts for that same folder only, never for one put in its place since.
    struct Found {
        QString pathText;
        FolderHandles::Identity identity;
        bool throughLink = false;
    };
    void noteFound(Found found) { m_found = std::move(found); }
    // The read made ahead of the folder found last under that path.
    std::optional<Read> takeReadAhead(QStringView pathText);

    // The mounts as they are now, for the reads of a run.
    std::shared_ptr<const NeverWalkedMounts> mounts() { return m_mounts.now(); }

    // A folder could not be opened for want of descriptors, even after giving back those
    // held: the walk cannot go on in full.
    bool ranOutOfDescriptors() const { return m_handles.ranOutOfDescriptors(); }
    // What the run's lists may still take; the folder reads count against it too.
    MemoryBudget& memory() { return m_memory; }

    // Reads a folder through the run's reads where a list shares them, otherwise with
    // handles of its own for this one read, so that no folder stays open between a
    // person's clicks (an open folder keeps a stick from being unmounted).
    static FolderScan read(FolderReads* shared, const WindowsPath& path, const QString& pathText);
    static bool isFolder(FolderReads* shared, const WindowsPath& path);

    // The folders whose subfolders are being read ahead, in the walk's order, held open
    // for their turn; no more than a few, so that a run keeps few files open.
    static constexpr std::size_t kMostParentsHeld = 64;
    // The folders read whose subfolders are still to be asked for, kept open since their
    // read: a level of a wide tree holds thousands of them, and those beyond are opened
    // again at their turn.
    static constexpr std::size_t kMostReadsKeptOpen = 8192;
    // Once a walk has kept this many open, it is one that goes on: the process's table of
    // descriptors is grown for all it may hold at once (see OpenFileBudget::makeRoomFor),
    // where the program has not done so at its start (makeRoomBeforeThreads).
    static constexpr std::size_t kKeptOpenBeforeMakingRoom = 32;

    // How a budget of descriptors is shared: the walk's own (a folder, the one it is read
    // from, a look at the mount table) first, then the handles kept, then readers (each
    // holds the folder it reads and, for a moment, one to ask its file system), then the
    // parents held for them. Too few for both readers and parents: no reading ahead. What
    // is left beyond the reads ahead, each of which may hold its folder open until it is
    // taken and then among the parents, keeps folders read open for their subfolders.
    struct OpenFolders {
        qsizetype handlesKept;
        std::size_t readers;
        std::size_t parentsHeld;
        std::size_t readsKeptOpen;
    };
    static OpenFolders share(int descriptors);

    // Grows the process's table of descriptors for all that a walk may hold open at once,
    // where doing so costs next to nothing: called while the process has no second thread
    // yet (at the start of main), the kernel need not wait for other threads to let go of
    // the old table, which a walk that grows it itself waits for (10-20 ms per run).
    static void makeRoomBeforeThreads();

private:
    // Folders whose subfolders are still to be requested, with the first not yet asked for.
    struct Below {
        WindowsPath path;
        QString pathText;
        QStringList names;
        QList<SubfolderKind> kinds; // empty when all are plain
        std::optional<FolderHandles::Identity> identity; // of the folder when it was read
        qsizetype next = 0;
        // Kept open since its read, or opened with the first request.
        std::shared_ptr<const FolderHandles::Handle> handle;
        bool keptOpen = false; // counts in m_keptOpen
    };
    void requestMore();
    bool openForReaders(Below& below);
    FolderBelow belowOf(const Below& below, qsizetype index);
    bool isAnsweredHere(const Below& below, const FolderBelow& found);
    std::uint32_t fileSystemTypeOf(const Below& below);
    void giveBack();
    // Descriptors a walk holds at most beyond those it holds anyway.
    static int mostHeldAtOnce(std::size_t keptOpen, std::size_t parentsHeld);
    void learnFrom(const FolderScan& scan);

    struct Parent {
        QString pathText;
        std::shared_ptr<const FolderHandles::Handle> handle;
    };

    std::stop_token m_stop;
    MemoryBudget m_memory;
    OpenFileBudget m_budget;
    const OpenFolders m_shared; // of m_budget
    CurrentMounts m_mounts;
    FolderHandles m_handles;
    std::size_t m_mostParentsHeld;
    std::size_t m_mostKeptOpen;
    std::size_t m_keptOpen = 0;
    bool m_madeRoom = false;
    std::deque<Below> m_below;
    std::deque<Parent> m_parents;
    // Devices whose folders' own listings give inode numbers other than their identity.
    QSet<dev_t> m_listingsInodeUntrusted;
    // The file systems of the devices whose folders were read ahead, by statfs's numbers.
    QHash<dev_t, std::uint32_t> m_fileSystemTypes;
    std::optional<Read> m_last;
    const ReadAhead::WalkReads m_walkReads;
    ReadAhead m_ahead;
    std::optional<Found> m_found;
};
