#include "readahead/readahead.h"

#include "process/memorybudget.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <string>

#include <time.h>

namespace {

std::chrono::nanoseconds processorTimeOfThisThread()
{
    timespec time{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec);
}

} // namespace

ReadAhead::ReadAhead(ReadFolder readFolder, std::stop_token stop, std::size_t mostReaders, WalkReads walkReads)
    : m_readFolder(std::move(readFolder))
    , m_mostReaders(mostReaders)
    , m_walkReads(walkReads)
    , m_cannotRead(mostReaders == 0)
    , m_stop(stop)
    , m_wakeOnStop(std::move(stop), [this] {
        // Under the lock, so that a waiter that has just found no stop is already waiting.
        { const std::lock_guard lock(m_mutex); }
        m_readersWake.notify_all();
        m_walkWakes.notify_all();
    })
{
    m_readers.reserve(mostReaders);
}

// An allocation that fails here would end the program: it ends the run instead.
FolderScan::Entries ReadAhead::readBelowParent(const Request& request)
{
    static const NeverWalkedMounts noMounts;
    try {
        return FolderScan::readEntriesBelow(*request.parent, request.name,
                                            request.mounts ? *request.mounts : noMounts, request.below, request.memory);
    } catch (const std::bad_alloc&) {
        if (request.memory)
            request.memory->exhaust();
        return {};
    }
}

// A reader that finishes a read may start more readers: the list is taken under the lock,
// after which none starts any more.
ReadAhead::~ReadAhead()
{
    std::vector<HelperThread> readers;
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        readers.swap(m_readers);
    }
    m_readersWake.notify_all();
    for (HelperThread& reader : readers)
        reader.join();
    // What the walk read is freed by now: what the readers read into their threads' own
    // heaps, where nothing takes it again, and what the walk read itself into the run's
    // heap, in small pieces between what stays. Handed back now, the sort and the write
    // that follow find room without adding to the run's peak (on one processor 83 MiB
    // against 90 without).
    MemoryBudget::handBackFreed();
}

void ReadAhead::request(std::vector<Request> requests)
{
    const std::lock_guard lock(m_mutex);
    for (Request& request : requests)
        m_slots.push_back({std::move(request), false, {}});
    startReaders();
    if (m_slots.size() - m_claimed >= kReadsPerWaking || m_walkWaitsFor > 0)
        wakeReaders();
}

// No more waiting readers than may take a folder now: a walk keeps every reader it has
// started, as many as reads that kept it waiting once wanted, and where fewer are wanted
// now, waking them all would have each find nothing to do and sleep again, two switches
// apiece, for every few folders asked for.
void ReadAhead::wakeReaders()
{
    const std::size_t wanted = readersWanted();
    const std::size_t idle = wanted > m_reading ? wanted - m_reading : 0;
    const std::size_t waking = std::min({idle, m_slots.size() - m_claimed, std::size_t(m_readersWaiting)});
    for (std::size_t woken = 0; woken < waking; ++woken)
        m_readersWake.notify_one();
}

// Readers start once there is work for them: a walk with little below its start folder
// starts one or none. Once started, a reader stays until the walk ends; while fewer are
// wanted, the others wait.
void ReadAhead::startReaders()
{
    if (m_stopping)
        return;
    while (m_readers.size() < readersWanted() && m_readers.size() < m_slots.size()) {
        HelperThread reader;
        if (!reader.start("korvale-rd-" + std::to_string(m_readers.size() + 1), [this] { read(); })) {
            // Out of threads: the walk goes on with the readers it has, or reads by itself.
            m_cannotRead = m_readers.empty();
            return;
        }
        m_readers.push_back(std::move(reader));
    }
}

// A walk that reads every folder itself needs its requests only at their turns: made far
// ahead, each would have left the processor's caches by then, and fetching them back cost
// the walk an eighth of its time outside the kernel.
std::size_t ReadAhead::requestsWanted()
{
    const std::lock_guard lock(m_mutex);
    const bool walkReadsAlone = m_walkReads == WalkReads::QuickOnesHere && readersWanted() == 0
        && (m_slots.empty() || m_slots.back().request.answeredHere);
    const std::size_t most = walkReadsAlone ? kReadsAheadOfLoneWalk : kMostReadsAhead;
    return most > m_slots.size() ? most - m_slots.size() : 0;
}

// Looked for in the order of requesting: the folder asked for is nearly always the first.
std::optional<std::size_t> ReadAhead::positionOf(QStringView pathText) const
{
    const auto slot = std::find_if(m_slots.cbegin(), m_slots.cend(),
                                   [&](const Slot& candidate) { return candidate.request.pathText == pathText; });
    if (slot == m_slots.cend())
        return std::nullopt;
    return std::size_t(slot - m_slots.cbegin());
}

// Counted no further than the walk may want: most slots are done while the walk runs on.
std::size_t ReadAhead::doneFromFront(std::size_t enough) const
{
    std::size_t done = 0;
    while (done < enough && done < m_slots.size() && m_slots[done].done)
        ++done;
    return done;
}

// While the walk reads for itself: none on one processor, unless it waits for a folder it
// may not read; on more, one beside it, unless the next folders are ones it may not read.
std::size_t ReadAhead::readersWanted() const
{
    const std::size_t sized = std::min(m_sizing.readers(), m_mostReaders);
    if (!walkReadsNow())
        return sized;
    if (m_walkReads == WalkReads::QuickOnesHere)
        return m_walkWaitsFor > 0 ? sized : 0;
    const bool walkMayReadNext = m_claimed >= m_slots.size() || m_slots[m_claimed].request.answeredHere;
    return walkMayReadNext ? std::min<std::size_t>(1, m_mostReaders) : sized;
}

bool ReadAhead::walkMayGoOn() const
{
    // Beside a reader, the walk goes on with the folder it waits for: it may well read the
    // next one itself.
    const std::size_t enough = m_walkReads == WalkReads::QuickOnesHereToo && walkReadsNow()
        ? m_walkWaitsFor
        : std::max(m_walkWaitsFor, kReadsPerWaking);
    const std::size_t done = doneFromFront(enough);
    return done >= m_walkWaitsFor && (done >= enough || done == m_slots.size());
}

std::optional<ReadAhead::Read> ReadAhead::take(QStringView pathText)
{
    std::unique_lock lock(m_mutex);
    const std::optional<std::size_t> position = positionOf(pathText);
    if (!position)
        return std::nullopt;
    if (m_walkReads == WalkReads::QuickOnesHere && !walkReadsNow())
        tryReadingHere(lock);
    if (mayReadHere(*position))
        readHere(lock, *position);
    // Beside a reader, the walk reads the next folders nobody has taken while the reader
    // still reads the one it wants, rather than wait for it.
    while (m_walkReads == WalkReads::QuickOnesHereToo && doneFromFront(*position + 1) <= *position
           && m_claimed < m_slots.size() && mayReadHere(m_claimed))
        readHere(lock, m_claimed);
    if (doneFromFront(*position + 1) <= *position) {
        m_walkWaitsFor = *position + 1;
        // The walk may have read every folder before this one itself, with no reader started.
        startReaders();
        if (m_readers.empty()) {
            m_walkWaitsFor = 0;
            return std::nullopt;
        }
        wakeReaders();
        m_walkWakes.wait(lock, [this] { return walkMayGoOn() || m_stop.stop_requested(); });
        m_walkWaitsFor = 0;
        if (doneFromFront(*position + 1) <= *position)
            return std::nullopt;
    }
    Slot& slot = m_slots[*position];
    Read read{std::move(slot.request.path), std::move(slot.request.pathText), std::move(slot.entries)};
    m_slots.erase(m_slots.begin(), m_slots.begin() + std::ptrdiff_t(*position + 1));
    m_claimed -= *position + 1;
    return read;
}

std::optional<FolderHandles::Identity> ReadAhead::readAtTurn(QStringView pathText)
{
    std::unique_lock lock(m_mutex);
    const std::optional<std::size_t> position = positionOf(pathText);
    if (!position || !mayReadHere(*position) || m_slots[*position].request.below.kind != SubfolderKind::Plain)
        return std::nullopt;
    // The number its own listing gives only where its file system lists its own folders:
    // on others it may not be its own, and no look checks it.
    FolderBelow& below = m_slots[*position].request.below;
    if (!below.parentInode)
        below.device.reset();
    readHere(lock, *position);
    const FolderScan::Entries& entries = m_slots[*position].entries;
    return entries.isFolder && !entries.outOfDescriptors ? entries.identity : std::nullopt;
}

// The walk's own read of a folder that no reader has claimed. Nobody claimed the folders
// before it either: the walk has passed them over, and they are dropped unread.
void ReadAhead::readHere(std::unique_lock<BriefLock>& lock, std::size_t position)
{
    for (std::size_t passed = m_claimed; passed < position; ++passed)
        m_slots[passed].done = true;
    m_claimed = position + 1;
    Slot& slot = m_slots[position];
    lock.unlock();
    const bool timeProcessor = m_timeProcessorHere;
    const auto started = std::chrono::steady_clock::now();
    const std::chrono::nanoseconds ranBefore = timeProcessor ? processorTimeOfThisThread() : std::chrono::nanoseconds();
    FolderScan::Entries entries = m_readFolder(slot.request);
    const std::chrono::nanoseconds ran = timeProcessor ? processorTimeOfThisThread() - ranBefore : std::chrono::nanoseconds();
    const auto finished = std::chrono::steady_clock::now();
    lock.lock();
    slot.entries = std::move(entries);
    slot.done = true;
    // A large folder from the page cache takes long on the processor; only the time the
    // read waited tells a device that keeps it waiting. Asking for the processor time is a
    // call into the kernel, two per read: a read quicker than a slow one waited less than
    // that anyway, so the time is asked only from the read after a slow one on, until one
    // is quick again. So at most every other read counts slow while it only ran long,
    // too few to turn the lower quartile.
    m_walkSpeed.note(finished - started - ran);
    m_timeProcessorHere = finished - started >= ReadSpeed::kSlowRead;
    noteRead(started, finished, slot.request.answeredHere);
}

// The next folder no reader has claimed yet, read by the walk while readers read.
void ReadAhead::tryReadingHere(std::unique_lock<BriefLock>& lock)
{
    if (++m_takesSinceReadHere < kTakesPerReadHere || m_claimed >= m_slots.size()
        || !m_slots[m_claimed].request.answeredHere || m_stop.stop_requested())
        return;
    m_takesSinceReadHere = 0;
    readHere(lock, m_claimed);
}

// Under the lock. A slow read may want more readers from now on.
void ReadAhead::noteRead(std::chrono::steady_clock::time_point started, std::chrono::steady_clock::time_point finished,
                         bool answeredHere)
{
    const std::size_t readersBefore = readersWanted();
    m_sizing.noteRead(started, finished, answeredHere);
    if (readersWanted() > readersBefore) {
        startReaders();
        wakeReaders();
    }
}

bool ReadAhead::walkWaits()
{
    const std::lock_guard lock(m_mutex);
    return m_walkWaitsFor > 0;
}

bool ReadAhead::mayClaim() const
{
    return m_claimed < m_slots.size() && m_reading < readersWanted() && !m_stop.stop_requested();
}

void ReadAhead::read()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        ++m_readersWaiting;
        m_readersWake.wait(lock, [this] { return m_stopping || mayClaim(); });
        --m_readersWaiting;
        if (m_stopping)
            return;
        // Slots stay where they are until they are done: the walk drops only done ones.
        Slot& slot = m_slots[m_claimed++];
        ++m_reading;
        lock.unlock();
        const auto started = std::chrono::steady_clock::now();
        FolderScan::Entries entries = m_readFolder(slot.request);
        const auto finished = std::chrono::steady_clock::now();
        lock.lock();
        --m_reading;
        slot.entries = std::move(entries);
        slot.done = true;
        noteRead(started, finished, slot.request.answeredHere);
        if (m_walkWaitsFor > 0 && walkMayGoOn())
            m_walkWakes.notify_one();
    }
}
