#pragma once

#include "drives/windowspath.h"
#include "process/brieflock.h"
#include "process/helperthread.h"
#include "readahead/readersizing.h"
#include "walk/folderscan.h"

#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <vector>

// Reads the folders a walk will enter next on threads of their own, in the order it will
// enter them, while the walk handles the folders before: opening and reading a folder
// costs more than listing what it holds. As many folders are read at once as the device
// answers at once (see ReaderSizing): two from the page cache, sixteen on a cold disk of
// this machine, tens on a share. Only reading happens ahead; whether a folder is still
// there, and the same one, is asked at its turn.
//
// Where the process has one processor, a reader could only take turns with the walk on it,
// each hand-over costing two switches: while reads come from the page cache, the walk reads
// a folder on this machine's disks itself at its turn. With more, two readers and the walk
// would be three threads on two processors, each pushing another off in turn: while reads
// are quick, one reader reads ahead and the walk reads those folders itself that it reaches
// first. A folder that may sit on a share or a stick is still read on a thread of its own,
// so that no stalled read holds the walk.
class ReadAhead {
public:
    struct Read {
        WindowsPath path;
        QString pathText;
        FolderScan::Entries entries;
    };

    // A folder named below a parent that the walk holds open for the readers.
    struct Request {
        WindowsPath path;
        QString pathText;
        std::shared_ptr<const FolderHandles::Handle> parent;
        QByteArray name;
        std::shared_ptr<const NeverWalkedMounts> mounts;
        FolderBelow below;
        MemoryBudget* memory = nullptr;
        // In memory or on a disk of this machine (FileSystemTypes::answersWithoutWaiting).
        bool answeredHere = false;
    };
    // Where reads come quick from a disk of this machine: with one processor the walk reads
    // each folder itself at its turn, with no reader; with more, one reader reads ahead and
    // the walk reads a folder itself where it reaches one no reader has taken. So no more
    // threads run than there are processors, and the walk never waits for a folder it could
    // read as soon itself.
    enum class WalkReads { Never, QuickOnesHere, QuickOnesHereToo };
    // How a reader reads one folder; tests put reads of their own in its place.
    using ReadFolder = std::function<FolderScan::Entries(const Request&)>;
    static FolderScan::Entries readBelowParent(const Request& request);

    // Once stop is asked for, readers take no further folder and a walk waiting in take()
    // gets nothing. No more than mostReaders read at once; with none, nothing is read ahead.
    explicit ReadAhead(ReadFolder readFolder = readBelowParent, std::stop_token stop = {},
                       std::size_t mostReaders = ReaderSizing::kMostReaders, WalkReads walkReads = WalkReads::Never);
    ~ReadAhead();
    // False once no other thread could be started: then nothing is read ahead, and the
    // walk reads every folder itself.
    bool isReading() const { return !m_cannotRead; }
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Folders are read in the order they were requested; some may be passed over.
    void request(std::vector<Request> requests);
    // How many more folders are worth requesting now.
    std::size_t requestsWanted();
    // The read of that folder, waiting for it; the reads of folders requested before it
    // are dropped. Nothing when it was never requested, or when a stop came first.
    std::optional<Read> take(QStringView pathText);
    // Where the walk would read a plain folder itself at its turn, it reads it now, and
    // that read of the folder as it stands, opened in its parent and never through a link,
    // is also the look at its turn: which folder stands there, asked of the open folder
    // itself. Nothing where a reader has it or it did not open as a folder.
    std::optional<FolderHandles::Identity> readAtTurn(QStringView pathText);
    // Whether the walk waits in take() now: lets a test hold reads until it does.
    bool walkWaits();

    // Requests beyond the reads not yet taken are held to this many, so memory stays
    // bounded however far the walk lags behind.
    static constexpr std::size_t kMostReadsAhead = 256;
    // Requests held where the walk reads each folder itself, as it does with one processor
    // while reads come quick from this machine's disks.
    static constexpr std::size_t kReadsAheadOfLoneWalk = 16;
    // A thread that waits is woken for a few reads at once, not for each: waking costs
    // more than a small folder's read.
    static constexpr std::size_t kReadsPerWaking = 16;
    static constexpr std::size_t kTakesPerReadHere = 64;

private:
    struct Slot {
        Request request;
        bool done = false;
        FolderScan::Entries entries;
    };

    void startReaders();
    void wakeReaders();
    void read();
    bool mayClaim() const;
    std::optional<std::size_t> positionOf(QStringView pathText) const;
    std::size_t doneFromFront(std::size_t enough) const;
    bool walkMayGoOn() const;
    // On one processor only the walk's own reads tell whether reads come quick (a reader's
    // read there also takes the time the walk ran); beside a reader every read does, and the
    // walk need not read a folder from a slow device itself to find out.
    bool walkReadsNow() const
    {
        switch (m_walkReads) {
        case WalkReads::QuickOnesHere:
            return m_walkSpeed.quick();
        case WalkReads::QuickOnesHereToo:
            return m_sizing.quick();
        default:
            return false;
        }
    }
    std::size_t readersWanted() const;
    bool mayReadHere(std::size_t position) const
    {
        return position >= m_claimed && walkReadsNow() && m_slots[position].request.answeredHere && !m_stop.stop_requested();
    }
    void readHere(std::unique_lock<BriefLock>& lock, std::size_t position);
    void tryReadingHere(std::unique_lock<BriefLock>& lock);
    void noteRead(std::chrono::steady_clock::time_point started, std::chrono::steady_clock::time_point finished,
                  bool answeredHere);

    const ReadFolder m_readFolder;
    const std::size_t m_mostReaders;
    const WalkReads m_walkReads;
    // The walk and a reader meet here for every folder.
    BriefLock m_mutex;
    BriefLockWait m_readersWake;
    BriefLockWait m_walkWakes;
    // Requested and not yet taken, in order. Readers take them on in that order, so the
    // first m_claimed slots are being read or done; a slot is dropped only once done.
    std::deque<Slot> m_slots;
    std::size_t m_claimed = 0;
    std::size_t m_walkWaitsFor = 0; // how many slots from the front must be done to wake the walk
    int m_readersWaiting = 0;
    std::size_t m_reading = 0; // readers inside a read now
    ReaderSizing m_sizing;
    // On one processor a reader's read also takes the time the others ran on it: whether
    // reads come quick, only the walk's own reads tell. While readers read there, the walk
    // reads one folder itself every so many it takes.
    ReadSpeed m_walkSpeed;
    std::size_t m_takesSinceReadHere = 0;
    bool m_timeProcessorHere = false;
    bool m_stopping = false;
    // Set under the lock, read by the walk without it.
    std::atomic<bool> m_cannotRead = false;
    // Room for the most, so that adding one never moves the others.
    std::vector<HelperThread> m_readers;
    const std::stop_token m_stop;
    // Last: it wakes everyone who waits, so it must go before what they wait on.
    std::stop_callback<std::function<void()>> m_wakeOnStop;
};
