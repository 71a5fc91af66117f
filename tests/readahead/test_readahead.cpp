#include "readahead/folderreads.h"
#include "readahead/readahead.h"
#include "readahead/readersizing.h"
#include "mounts/filesystemtypes.h"
#include "process/processors.h"
#include "support/childprocess.h"
#include "support/ononeprocessor.h"
#include "support/smallfilesystem.h"
#include "support/testdrives.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/vfs.h>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

using Duration = ReaderSizing::Duration;

// A device seen through the sizing: how long a read takes, given how many reads came
// before it and how many are in flight, and whether it lies on this machine.
struct DeviceRead {
    Duration took;
    bool answeredHere = false;
};
using Device = std::function<DeviceRead(int read, std::size_t inFlight)>;

Device answering(std::size_t atOnce, Duration each, bool answeredHere = false)
{
    return [=](int, std::size_t inFlight) {
        return DeviceRead{each * std::max<std::size_t>(1, (inFlight + atOnce - 1) / atOnce), answeredHere};
    };
}

Device changingAfter(int reads, Device first, Device then)
{
    return [=](int read, std::size_t inFlight) { return read < reads ? first(read, inFlight) : then(read, inFlight); };
}

// The walk asks for at most so many folders at a time and takes one per step.
struct Walk {
    std::size_t mostAskedFor = ReaderSizing::kMostReaders;
    Duration step{0};
};

// Every reader the sizing asks for is kept busy, unless the walk holds them back.
// Gives the count most of the last reads were made with: trials come and go.
std::size_t settledReaders(const Device& device, Walk walk)
{
    constexpr int kReads = 16000;
    constexpr int kSettled = 10000;
    ReaderSizing sizing;
    std::map<std::size_t, int> readsAt;
    ReaderSizing::TimePoint now;
    for (int read = 0; read < kReads; ++read) {
        const std::size_t inFlight = std::min(sizing.readers(), walk.mostAskedFor);
        if (read >= kSettled)
            ++readsAt[sizing.readers()];
        // With that many in flight, one of them ends every read's time over their count.
        const DeviceRead one = device(read, inFlight);
        now += std::max<Duration>(one.took / inFlight, walk.step);
        sizing.noteRead(now - one.took, now, one.answeredHere);
        EXPECT_GE(sizing.readers(), ReaderSizing::kFewestReaders);
        EXPECT_LE(sizing.readers(), ReaderSizing::kMostReaders);
    }
    return std::max_element(readsAt.cbegin(), readsAt.cend(),
                            [](const auto& a, const auto& b) { return a.second < b.second; })->first;
}

TEST(ReaderSizing, ReadersGrowWhileTheDeviceAnswersMoreAtOnce)
{
    struct Case {
        const char* what;
        Device device;
        Walk walk;
        std::size_t readers;
    };
    // Folders from the page cache are read in a few microseconds each, whether sixteen
    // readers share the processors or two do (measured: sixteen readers started on a warm
    // tree found their reads quick within 8 ms).
    const Device pageCache = [](int, std::size_t) { return DeviceRead{20us, true}; };
    const Device share = answering(64, 2ms);
    const Device stick = answering(8, 300us);
    const Device coldDisk = answering(8, 300us, true);
    const Device aLittleMore = [](int, std::size_t inFlight) {
        return DeviceRead{inFlight <= 4 ? Duration(1ms) : Duration(std::chrono::microseconds(240 * inFlight))};
    };
    constexpr std::size_t kDisk = ReaderSizing::kDiskReaders;
    const Case cases[] = {
        {"page cache", pageCache, {}, 2},
        {"share answering 64 at once", share, {}, 64},
        {"share answering one at a time", answering(1, 2ms), {}, 2},
        {"stick answering 8 at once", stick, {}, 8},
        {"stick that answers a few more at twice the readers", aLittleMore, {}, 4},
        {"a walk that asks for one folder at a time", share, {1}, 2},
        {"a share, a walk that takes a folder a millisecond", share, {64, 1ms}, 2},
        {"a share, a walk that keeps up with 16 readers", share, {64, 125us}, 16},
        {"from a stick onto a share", changingAfter(2000, stick, share), {}, 64},
        {"from a share onto a stick", changingAfter(2000, share, stick), {}, 8},
        {"from a share into the page cache", changingAfter(2000, share, pageCache), {}, 2},
        // A disk of this machine is read by the fixed count, whatever a trial would find.
        {"this machine's cold disk answering 8 at once", coldDisk, {}, kDisk},
        {"this machine's disk answering one at a time", answering(1, 300us, true), {}, kDisk},
        {"from this machine's cold disk onto a share", changingAfter(2000, coldDisk, share), {}, 64},
        {"from a share onto this machine's cold disk", changingAfter(2000, share, coldDisk), {}, kDisk},
        {"from this machine's cold disk into the page cache", changingAfter(2000, coldDisk, pageCache), {}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(settledReaders(c.device, c.walk), c.readers);
    }
}

// Where reads turn out slow, the sizing starts from a count a share mostly answers at once
// instead of climbing to it from two, and a disk of this machine is read by its fixed count
// at once; reads from the page cache stay with two, and slow reads that turn quick go back
// to two.
TEST(ReaderSizing, SlowReadsStartFromACountTheDeviceMostlyAnswersAtOnce)
{
    const struct {
        const char* what;
        std::vector<Duration> reads; // each read's time, in turn
        bool answeredHere;
        std::size_t readers;
    } cases[] = {
        {"page cache", std::vector<Duration>(20, 10us), true, ReaderSizing::kFewestReaders},
        {"this machine's cold disk", std::vector<Duration>(20, 300us), true, ReaderSizing::kDiskReaders},
        {"stick", std::vector<Duration>(20, 300us), false, ReaderSizing::kFirstSlowReaders},
        {"share", std::vector<Duration>(20, 2ms), false, ReaderSizing::kFirstSlowReaders},
        {"too few reads to tell", std::vector<Duration>(ReadSpeed::kReadsPerCheck - 1, 2ms), true,
         ReaderSizing::kFewestReaders},
        {"share, then the page cache", [] {
             std::vector<Duration> reads(20, 2ms);
             reads.insert(reads.end(), 40, 10us);
             return reads;
         }(),
         false, ReaderSizing::kFewestReaders},
    };
    for (const auto& one : cases) {
        ReaderSizing sizing;
        ReaderSizing::TimePoint now;
        for (const Duration took : one.reads) {
            now += took;
            sizing.noteRead(now - took, now, one.answeredHere);
        }
        EXPECT_EQ(sizing.readers(), one.readers) << one.what;
    }
}

// Reads that the test lets through one at a time, counting how many are inside at once.
// A read may wait on a device of its own for a while: one shared by all reads, or one
// that answers one read at a time.
struct Answering {
    std::chrono::microseconds wait{0};
    bool oneAtATime = false;
};

class Gate {
public:
    FolderScan::Entries pass(const ReadAhead::Request& request, Answering device = {})
    {
        std::unique_lock lock(m_mutex);
        m_mostInside = std::max(m_mostInside, ++m_insideNow);
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_permits > 0 || m_open; });
        if (!m_open)
            --m_permits;
        lock.unlock();
        {
            std::unique_lock answering(m_answering, std::defer_lock);
            if (device.oneAtATime)
                answering.lock();
            std::this_thread::sleep_for(device.wait);
        }
        lock.lock();
        --m_insideNow;
        ++m_passed;
        m_changed.notify_all();
        FolderScan::Entries entries;
        entries.isFolder = true;
        entries.identity = FolderHandles::Identity{0, ino_t(request.name.toLongLong())}; // tells the reads apart
        return entries;
    }
    void release(int count)
    {
        const std::lock_guard lock(m_mutex);
        m_permits += count;
        m_changed.notify_all();
    }
    void open()
    {
        const std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    bool waitUntilPassed(int count) { return waitFor([&] { return m_passed >= count; }); }
    bool waitUntilInside(int count) { return waitFor([&] { return m_insideNow >= count; }); }
    int insideNow()
    {
        const std::lock_guard lock(m_mutex);
        return m_insideNow;
    }
    int mostInside()
    {
        const std::lock_guard lock(m_mutex);
        return m_mostInside;
    }
    int passed()
    {
        const std::lock_guard lock(m_mutex);
        return m_passed;
    }

private:
    bool waitFor(const std::function<bool()>& done)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, 30s, done);
    }

    std::mutex m_mutex;
    std::mutex m_answering;
    std::condition_variable m_changed;
    int m_permits = 0;
    bool m_open = false;
    int m_insideNow = 0;
    int m_mostInside = 0;
    int m_passed = 0;
};

QString pathOf(int index) { return u"C:\\"_s + QString::number(index); }

std::vector<ReadAhead::Request> requests(int count)
{
    std::vector<ReadAhead::Request> made;
    for (int i = 0; i < count; ++i)
        made.push_back({*WindowsPath::parse(pathOf(i)), pathOf(i), nullptr, QByteArray::number(i), nullptr, {}});
    return made;
}

TEST(ReadAhead, TheWalkWaitingForAReadIsWokenForAFewReadsAtOnce)
{
    Gate gate;
    ReadAhead ahead([&](const ReadAhead::Request& request) { return gate.pass(request); });
    ahead.request(requests(40));
    std::atomic<bool> taken = false;
    std::thread walk([&] {
        ahead.take(pathOf(0));
        taken = true;
    });
    // Nothing is read before the walk waits: a walk that finds its folder read never waits.
    const auto giveUp = std::chrono::steady_clock::now() + 30s;
    while (!ahead.walkWaits() && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(ahead.walkWaits());
    const int fewer = int(ReadAhead::kReadsPerWaking) - 1;
    gate.release(fewer);
    ASSERT_TRUE(gate.waitUntilPassed(fewer));
    std::this_thread::sleep_for(50ms); // time for a walk woken too early to show it
    EXPECT_FALSE(taken);
    gate.release(1);
    gate.open();
    walk.join();
    EXPECT_TRUE(taken);
}

// Each read reaches the walk unchanged and in the walk's order, however long reads take
// and however many are in flight (how many that is, ReaderSizing's test tells on its
// simulated clock: on real time a busy machine would decide it).
TEST(ReadAhead, EveryReadReachesTheWalkInItsOrder)
{
    const struct {
        const char* what;
        Answering device;
        int folders;
    } cases[] = {
        {"quick reads", {}, 300},
        {"a share answering every read at once", {1ms, false}, 300},
        {"a server answering one read at a time", {100us, true}, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Gate gate;
        gate.open();
        ReadAhead ahead([&](const ReadAhead::Request& request) { return gate.pass(request, c.device); });
        ahead.request(requests(c.folders));
        for (int i = 0; i < c.folders; ++i) {
            const std::optional<ReadAhead::Read> read = ahead.take(pathOf(i));
            ASSERT_TRUE(read);
            EXPECT_EQ(read->pathText, pathOf(i));
            ASSERT_TRUE(read->entries.identity);
            EXPECT_EQ(read->entries.identity->inode, ino_t(i));
        }
        EXPECT_LE(gate.mostInside(), int(ReaderSizing::kMostReaders));
    }
}

TEST(ReadAhead, TakeOutOfTurnDropsTheReadsBeforeItAndAnUnknownPathGetsNothing)
{
    Gate gate;
    gate.open();
    ReadAhead ahead([&](const ReadAhead::Request& request) { return gate.pass(request); });
    ahead.request(requests(10));
    EXPECT_FALSE(ahead.take(u"C:\\unbekannt"_s));
    EXPECT_EQ(ahead.requestsWanted(), ReadAhead::kMostReadsAhead - 10);

    const std::optional<ReadAhead::Read> fifth = ahead.take(pathOf(4));
    ASSERT_TRUE(fifth && fifth->entries.identity);
    EXPECT_EQ(fifth->entries.identity->inode, ino_t(4));
    EXPECT_EQ(ahead.requestsWanted(), ReadAhead::kMostReadsAhead - 5);
    EXPECT_FALSE(ahead.take(pathOf(2)));
    const std::optional<ReadAhead::Read> sixth = ahead.take(pathOf(5));
    ASSERT_TRUE(sixth && sixth->entries.identity);
    EXPECT_EQ(sixth->entries.identity->inode, ino_t(5));
}

// As a walk asks: as many folders ahead as the read-ahead wants, more for each it takes;
// each read reaches it in its order. How many were asked for ahead of each folder taken.
// beforeTaking(i) runs before the walk takes folder i.
std::vector<int> walkInTurns(ReadAhead& ahead, int folders, bool answeredHere,
                             const std::function<void(int)>& beforeTaking = {})
{
    std::vector<ReadAhead::Request> all = requests(folders);
    for (ReadAhead::Request& request : all)
        request.answeredHere = answeredHere;
    int asked = 0;
    const auto askAsWanted = [&] {
        const int count = std::min(int(ahead.requestsWanted()), folders - asked);
        ahead.request({std::make_move_iterator(all.begin() + asked), std::make_move_iterator(all.begin() + asked + count)});
        asked += count;
    };
    std::vector<int> aheadOfEach;
    askAsWanted();
    for (int i = 0; i < folders; ++i) {
        aheadOfEach.push_back(asked - i);
        if (beforeTaking)
            beforeTaking(i);
        const std::optional<ReadAhead::Read> read = ahead.take(pathOf(i));
        EXPECT_TRUE(read && read->entries.identity && read->entries.identity->inode == ino_t(i)) << i;
        askAsWanted();
    }
    return aheadOfEach;
}

// With one processor the walk reads a folder on this machine's disks itself while reads
// are quick; a folder elsewhere, and every folder once reads turn slow, a reader reads.
// Where reads come quick again, the walk finds it out by a folder it reads now and then,
// and reads for itself again. Either way each read reaches the walk in its order, and the
// walk never waits for a reader nobody started.
// Where a thread went to sleep: a reader woken for nothing sleeps again.
long switchesOfThisProcess()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw;
}

struct QuickWalk {
    long switches; // while the last three quarters of the quick reads were taken
    int mostReading;
};

// slow reads, then quick ones, taken in turn by a walk.
QuickWalk walkAfterSlowReads(int slow, int quick)
{
    std::atomic<int> slowLeft = slow;
    Gate gate;
    gate.open();
    ReadAhead ahead([&](const ReadAhead::Request& request) {
        return gate.pass(request, slowLeft-- > 0 ? Answering{2ms, false} : Answering{});
    });
    long switchesBefore = 0;
    walkInTurns(ahead, slow + quick, false, [&](int i) {
        if (i == slow + quick / 4)
            switchesBefore = switchesOfThisProcess();
    });
    return {switchesOfThisProcess() - switchesBefore, gate.mostInside()};
}

// Slow reads start many readers, and they stay. Once reads come quick again fewer are
// wanted, and the walk wakes no more of them than take a folder: each woken for nothing
// would sleep again at once. So the quick reads cost few more switches than where no
// more readers were ever started (under half a switch per folder more, on a busy machine
// too); waking every reader whenever the walk waits cost four fifths of one and more.
TEST(ReadAhead, ReadersStartedForSlowReadsAreNotWokenForNothingOnceReadsAreQuick)
{
    const int quick = 4000;
    const QuickWalk few = walkAfterSlowReads(0, quick);
    const QuickWalk many = walkAfterSlowReads(600, quick);
    ASSERT_LE(few.mostReading, int(ReaderSizing::kFewestReaders));
    ASSERT_GE(many.mostReading, int(ReaderSizing::kFirstSlowReaders));
#ifdef __SANITIZE_THREAD__
    GTEST_SKIP() << "the thread sanitizer's own locks put threads to sleep far more often than the readers do: "
                    "switches not compared";
#endif
    EXPECT_LT(many.switches, few.switches + quick / 2);
}

TEST(ReadAhead, WithOneProcessorTheWalkReadsQuickFoldersHereItself)
{
    using WalkReads = ReadAhead::WalkReads;
    constexpr int kFolders = 1500;
    constexpr int kLast = 100;
    constexpr int kLone = int(ReadAhead::kReadsAheadOfLoneWalk);
    const struct {
        const char* what;
        WalkReads walkReads;
        bool answeredHere;
        int slowReads; // the first folders wait on their device
        bool onTheProcessor; // or take as long on the processor, as a large folder does
        int firstByTheWalk; // how many of the first folders the walk reads itself
        bool lastByTheWalk; // whether it reads the last ones itself
        int aheadOfTheLast; // folders asked for ahead of the walk at the last ones: all, or a few
    } cases[] = {
        {"one processor, quick reads here", WalkReads::QuickOnesHere, true, 0, false, kFolders, true, kLone},
        {"one processor, a share", WalkReads::QuickOnesHere, false, 0, false, 0, false, kLast},
        {"two processors", WalkReads::Never, true, 0, false, 0, false, kLast},
        // Reads are weighed every few reads: until then the walk reads the slow ones too.
        {"one processor, slow reads, then quick", WalkReads::QuickOnesHere, true, 100, false,
         int(ReadSpeed::kReadsPerCheck), true, kLone},
        {"one processor, large folders first", WalkReads::QuickOnesHere, true, 100, true, kFolders, true, kLone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Gate gate;
        gate.open();
        const std::thread::id walk = std::this_thread::get_id();
        std::mutex readByTheWalkMutex;
        std::set<int> readByTheWalk;
        ReadAhead ahead(
            [&](const ReadAhead::Request& request) {
                const int index = request.name.toInt();
                if (std::this_thread::get_id() == walk) {
                    const std::lock_guard lock(readByTheWalkMutex);
                    readByTheWalk.insert(index);
                }
                const bool slow = index < c.slowReads;
                if (slow && c.onTheProcessor) {
                    const auto until = std::chrono::steady_clock::now() + 200us;
                    while (std::chrono::steady_clock::now() < until) {
                    }
                }
                return gate.pass(request, {slow && !c.onTheProcessor ? 200us : 0us, false});
            },
            {}, ReaderSizing::kMostReaders, c.walkReads);
        const std::vector<int> aheadOfEach = walkInTurns(ahead, kFolders, c.answeredHere);
        EXPECT_EQ(aheadOfEach[kFolders - kLast], c.aheadOfTheLast);
        const auto readHere = [&](int index) { return readByTheWalk.contains(index); };
        int first = 0;
        while (first < kFolders && readHere(first))
            ++first;
        EXPECT_EQ(first, c.firstByTheWalk);
        EXPECT_EQ(std::count_if(readByTheWalk.cbegin(), readByTheWalk.cend(), [](int index) { return index >= kFolders - kLast; }),
                  c.lastByTheWalk ? kLast : 0);
    }
}

// With more processors, while reads are quick one reader reads ahead, and the walk reads
// the folders it reaches before the reader does: no more threads read than there are
// processors. Folders on a share are read by readers alone, as many as the sizing asks
// for, and so are folders once reads turn slow, the walk's first few aside. Either way
// each read reaches the walk in its order.
TEST(ReadAhead, BesideOneReaderTheWalkReadsWhatTheReaderHasNotTaken)
{
    constexpr int kFolders = 1500;
    enum class ByTheWalk { Some, FirstFew, None };
    const struct {
        const char* what;
        bool answeredHere;
        bool slow;
        std::size_t readers;
        ByTheWalk byTheWalk;
    } cases[] = {
        {"this machine's disk", true, false, 1, ByTheWalk::Some},
        {"a share", false, false, ReaderSizing::kFewestReaders, ByTheWalk::None},
        {"a cold disk", true, true, ReaderSizing::kDiskReaders, ByTheWalk::FirstFew},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::thread::id walk = std::this_thread::get_id();
        std::mutex readsMutex;
        std::set<std::thread::id> readers;
        int readByTheWalk = 0;
        ReadAhead ahead(
            [&](const ReadAhead::Request& request) {
                {
                    const std::lock_guard lock(readsMutex);
                    if (std::this_thread::get_id() == walk)
                        ++readByTheWalk;
                    else
                        readers.insert(std::this_thread::get_id());
                }
                // A small folder from the page cache: a little time on the processor, no wait.
                const auto until = std::chrono::steady_clock::now() + 10us;
                while (std::chrono::steady_clock::now() < until) {
                }
                if (c.slow)
                    std::this_thread::sleep_for(200us);
                FolderScan::Entries entries;
                entries.isFolder = true;
                entries.identity = FolderHandles::Identity{0, ino_t(request.name.toLongLong())};
                return entries;
            },
            {}, ReaderSizing::kMostReaders, ReadAhead::WalkReads::QuickOnesHereToo);
        walkInTurns(ahead, kFolders, c.answeredHere);
        const std::lock_guard lock(readsMutex);
        // Beside the walk exactly one; elsewhere as many as the sizing asks for, at least.
        if (c.byTheWalk == ByTheWalk::Some)
            EXPECT_EQ(readers.size(), c.readers);
        else
            EXPECT_GE(readers.size(), c.readers);
        switch (c.byTheWalk) {
        case ByTheWalk::Some:
            EXPECT_GT(readByTheWalk, 0);
            EXPECT_LT(readByTheWalk, kFolders);
            break;
        case ByTheWalk::FirstFew:
            EXPECT_LE(readByTheWalk, int(ReadSpeed::kReadsPerCheck));
            break;
        case ByTheWalk::None:
            EXPECT_EQ(readByTheWalk, 0);
            break;
        }
    }
}

// A walk that stops while folders are being read leaves no reader behind in a read.
TEST(ReadAhead, DestroyedWhileReadingWaitsForTheReadsInFlight)
{
    Gate gate;
    auto ahead = std::make_unique<ReadAhead>([&](const ReadAhead::Request& request) { return gate.pass(request); });
    ahead->request(requests(50));
    ASSERT_TRUE(gate.waitUntilInside(int(ReaderSizing::kFewestReaders)));
    std::atomic<int> insideWhenGone = -1;
    std::thread stopping([&] {
        ahead.reset();
        insideWhenGone = gate.insideNow();
    });
    gate.open();
    stopping.join();
    EXPECT_EQ(insideWhenGone, 0);
}

// Readers are still being added, as a slow share makes them, when the walk ends: every one
// is joined, and none is added after (ThreadSanitizer sees the rest).
TEST(ReadAhead, DestroyedWhileReadersAreAddedJoinsThemAll)
{
    for (int round = 0; round < 24; ++round) {
        Gate gate;
        gate.open();
        auto ahead = std::make_unique<ReadAhead>(
            [&](const ReadAhead::Request& request) { return gate.pass(request, {500us, false}); });
        ahead->request(requests(int(ReadAhead::kMostReadsAhead)));
        std::this_thread::sleep_for(std::chrono::milliseconds(round));
        ahead.reset();
        EXPECT_EQ(gate.insideNow(), 0) << "round " << round;
    }
}

// A stop while the walk waits for a folder that is not read yet: the wait ends, and only
// the reads in hand are finished.
TEST(ReadAhead, StopEndsTheWaitAndNoFurtherFolderIsRead)
{
    Gate gate;
    std::stop_source stop;
    auto ahead = std::make_unique<ReadAhead>([&](const ReadAhead::Request& request) { return gate.pass(request); },
                                             stop.get_token());
    ahead->request(requests(40));
    ASSERT_TRUE(gate.waitUntilInside(int(ReaderSizing::kFewestReaders)));
    std::thread stopping([&] {
        std::this_thread::sleep_for(100ms);
        stop.request_stop();
    });
    EXPECT_FALSE(ahead->take(pathOf(0)));
    stopping.join();
    gate.open();
    ahead.reset();
    EXPECT_EQ(gate.passed(), int(ReaderSizing::kFewestReaders));
}

// The folders below the start folder, read for real, with every request the readers get seen.
class Requested {
public:
    // keepOpen: whether a folder read stays open for its subfolders, where the budget lets
    // it; otherwise it is opened again for them.
    ReadAhead::ReadFolder reader(bool keepOpen = true)
    {
        return [this, keepOpen](const ReadAhead::Request& request) {
            {
                const std::lock_guard lock(m_mutex);
                m_texts.push_back(request.pathText);
                m_parents.insert(request.parent.get());
            }
            FolderScan::Entries entries = ReadAhead::readBelowParent(request);
            if (!keepOpen)
                entries.heldOpen.reset();
            return entries;
        };
    }
    std::size_t count()
    {
        const std::lock_guard lock(m_mutex);
        return m_texts.size();
    }
    std::size_t parents()
    {
        const std::lock_guard lock(m_mutex);
        return m_parents.size();
    }
    std::size_t ending(const QString& tail)
    {
        const std::lock_guard lock(m_mutex);
        return std::size_t(std::count_if(m_texts.cbegin(), m_texts.cend(), [&](const QString& text) { return text.endsWith(tail); }));
    }

private:
    std::mutex m_mutex;
    std::vector<QString> m_texts;
    std::set<const FolderHandles::Handle*> m_parents;
};

void readStart(FolderReads& reads, const QString& text)
{
    const WindowsPath path = *WindowsPath::parse(text);
    reads.keepLast({path, text, FolderReads::read(&reads, path, text)});
    reads.readAheadBelow(text);
}

std::optional<FolderReads::Read> takeAtItsTurn(FolderReads& reads, const QString& text)
{
    reads.noteFound({text, reads.look(text, false).identity, false});
    return reads.takeReadAhead(text);
}

// Readers read whatever was asked for: once they are done, the count stays.
std::size_t settled(Requested& requested, std::size_t expected)
{
    for (int waited = 0; waited < 3000 && requested.count() < expected; ++waited)
        std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(50ms);
    return requested.count();
}

QString childName(int index) { return u"f"_s + QString::number(index).rightJustified(3, u'0'); }

// Every folder and file below root as a path relative to it, listed by the standard library.
std::set<std::string> listedByTheHost(const std::filesystem::path& root)
{
    std::set<std::string> listed;
    for (const std::filesystem::directory_entry& entry : std::filesystem::recursive_directory_iterator(root))
        listed.insert(entry.path().lexically_relative(root).string());
    return listed;
}

TEST(FolderReads, NoMoreFoldersAreAskedForThanTheReadsAheadHeld)
{
    TestDrives drives;
    const int wide = int(ReadAhead::kMostReadsAhead) + 44;
    for (int i = 0; i < wide; ++i)
        drives.makeFolder(u"C:\\weit\\"_s + childName(i));
    Requested requested;
    FolderReads reads(requested.reader(), {}, ReadAhead::WalkReads::Never);
    readStart(reads, u"C:\\weit"_s);
    EXPECT_EQ(settled(requested, ReadAhead::kMostReadsAhead), ReadAhead::kMostReadsAhead);
    // Each folder taken lets one more be asked for; readers are woken for a few at once.
    for (int i = 0; i < int(ReadAhead::kReadsPerWaking); ++i)
        ASSERT_TRUE(takeAtItsTurn(reads, u"C:\\weit\\"_s + childName(i)));
    const std::size_t expected = ReadAhead::kMostReadsAhead + ReadAhead::kReadsPerWaking;
    EXPECT_EQ(settled(requested, expected), expected);
}

// C:\weit with count folders, each with a subfolder "x" of its own; false where the limit of
// open files leaves too few to keep that many open.
bool makeWideTreeToKeepOpen(TestDrives& drives, int count)
{
    for (int i = 0; i < count; ++i)
        drives.makeFolder(u"C:\\weit\\"_s + childName(i) + u"\\x"_s);
    return FolderReads::share(OpenFileBudget().descriptors()).readsKeptOpen >= std::size_t(count);
}
constexpr const char* kTooFewToKeepOpen =
    "the limit of open files leaves too few to keep folders open for their subfolders";

// The walk entering the i-th folder of C:\weit and asking for those below it: the folder's
// read, or nullptr where it was not read.
const FolderReads::Read* enterWide(FolderReads& reads, int i)
{
    const QString text = u"C:\\weit\\"_s + childName(i);
    std::optional<FolderReads::Read> read = takeAtItsTurn(reads, text);
    if (!read)
        return nullptr;
    reads.keepLast(std::move(*read));
    reads.readAheadBelow(text);
    return reads.last(text);
}

// Parents opened again for their subfolders are few at a time; those kept open since
// their read are not held back by that (the budget of open files here leaves room for far
// more than these).
TEST(FolderReads, NoMoreParentsAreOpenedAgainThanAllowed)
{
    TestDrives drives;
    const int parents = int(FolderReads::kMostParentsHeld) + 36;
    if (!makeWideTreeToKeepOpen(drives, parents))
        GTEST_SKIP() << kTooFewToKeepOpen;
    for (const bool keepOpen : {false, true}) {
        SCOPED_TRACE(keepOpen ? "kept open" : "opened again");
        Requested requested;
        FolderReads reads(requested.reader(keepOpen), {}, ReadAhead::WalkReads::Never);
        readStart(reads, u"C:\\weit"_s);
        for (int i = 0; i < parents; ++i) {
            const FolderReads::Read* read = enterWide(reads, i);
            ASSERT_TRUE(read);
            EXPECT_EQ(read->scan.folders, QStringList({u"x"_s}));
        }
        // The start folder is one of them; the walk has entered none of the folders below
        // yet. Readers are woken for a few requests at once, so the last few may wait unread.
        const std::size_t mostBelow = keepOpen ? std::size_t(parents) : FolderReads::kMostParentsHeld - 1;
        settled(requested, std::size_t(parents) + mostBelow - ReadAhead::kReadsPerWaking + 1);
        const std::size_t below = requested.ending(u"\\x"_s);
        EXPECT_LE(below, mostBelow);
        EXPECT_GT(below, mostBelow - ReadAhead::kReadsPerWaking);
        EXPECT_EQ(requested.parents(), below + 1);
    }
}

// The entries of this process's table of descriptors, as the kernel reports it.
int descriptorTableSize()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("FDSize:", 0) == 0)
            return std::stoi(line.substr(7));
    }
    return -1;
}

// Grown at a program's start, the table holds all that a walk keeps open: the walk never
// grows it again, which with its readers about would wait for a grace period. Each folder
// has so many subfolders that the reads ahead are soon all taken, and the folders entered
// after that stay open until their subfolders can be asked for: the walk keeps enough open
// to make room of its own. In a child of its own: a test before may have grown this
// process's table already.
TEST(FolderReads, TableGrownBeforeThreadsHoldsWhatAWalkKeepsOpen)
{
    TestDrives drives;
    constexpr int kBelowEach = 16;
    const int folders = int(FolderReads::kKeptOpenBeforeMakingRoom + ReadAhead::kMostReadsAhead / kBelowEach) + 8;
    if (!makeWideTreeToKeepOpen(drives, folders))
        GTEST_SKIP() << kTooFewToKeepOpen;
    for (int i = 0; i < folders; ++i) {
        for (int below = 1; below < kBelowEach; ++below)
            drives.makeFolder(u"C:\\weit\\"_s + childName(i) + u"\\x"_s + QString::number(below));
    }
    enum Outcome { Held = 0, NotGrown, GrownByTheWalk, NotRead };
    const int outcome = runInChild([&] {
        const int fresh = descriptorTableSize();
        FolderReads::makeRoomBeforeThreads();
        const int grown = descriptorTableSize();
        if (grown <= fresh)
            return int(NotGrown);
        Requested requested;
        FolderReads reads(requested.reader(true), {}, ReadAhead::WalkReads::Never);
        readStart(reads, u"C:\\weit"_s);
        for (int i = 0; i < folders; ++i) {
            const FolderReads::Read* read = enterWide(reads, i);
            if (!read || !read->scan.heldOpen)
                return int(NotRead);
        }
        return int(descriptorTableSize() == grown ? Held : GrownByTheWalk);
    });
    EXPECT_EQ(outcome, Held);
}

bool answersWithoutWaiting(const QString& hostFolder)
{
    struct statfs fileSystem;
    return ::statfs(QFile::encodeName(hostFolder).constData(), &fileSystem) == 0
        && FileSystemTypes::answersWithoutWaiting(std::uint32_t(fileSystem.f_type));
}

// At its turn a folder read ahead is looked at in its parent; where the walk reads it
// itself at its turn, that read is the look. Either way the look tells what stands there
// now: the folder read before or another put in its place, each by its own identity (also
// the root of a file system mounted there since its parent was read), a link to a folder
// (never taken for a plain folder), or nothing.
TEST(FolderReads, TheLookAtAFoldersTurnSeesWhatStandsThereNow)
{
    using Standing = FolderHandles::Standing;
    enum class Change { None, OtherFolder, Mounted, Link, Removed };
    const struct {
        const char* what;
        Change change;
        Standing standing;
    } cases[] = {
        {"unchanged", Change::None, Standing::Folder},
        {"another folder in its place", Change::OtherFolder, Standing::Folder},
        {"a file system mounted on it", Change::Mounted, Standing::Folder},
        {"a link to a folder in its place", Change::Link, Standing::Other},
        {"removed", Change::Removed, Standing::Missing},
    };
    std::string notMounted;
    for (const auto walkReads : {ReadAhead::WalkReads::Never, ReadAhead::WalkReads::QuickOnesHere}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (walkReads == ReadAhead::WalkReads::Never ? ", readers" : ", read here"));
            TestDrives drives;
            drives.makeFolder(u"C:\\start\\a\\x"_s);
            drives.makeFolder(u"C:\\anders"_s);
            const std::filesystem::path folder = QFile::encodeName(drives.host(u"C:\\start\\a"_s)).toStdString();
            const std::thread::id walk = std::this_thread::get_id();
            std::atomic<int> readByTheWalk = 0;
            FolderReads reads(
                [&](const ReadAhead::Request& request) {
                    readByTheWalk += std::this_thread::get_id() == walk ? 1 : 0;
                    return ReadAhead::readBelowParent(request);
                },
                {}, walkReads);
            readStart(reads, u"C:\\start"_s);
            std::optional<SmallFileSystem> mounted;
            if (c.change == Change::Mounted && !mounted.emplace(QByteArray::fromStdString(folder.string()), "1m").mounted()) {
                notMounted = "cannot mount a tmpfs here (needs root and mount rights): the mounted case was not run";
                continue;
            }
            if (c.change != Change::None && c.change != Change::Mounted)
                std::filesystem::rename(folder, folder.string() + ".alt");
            if (c.change == Change::OtherFolder)
                std::filesystem::create_directory(folder);
            if (c.change == Change::Link)
                std::filesystem::create_directory_symlink(QFile::encodeName(drives.host(u"C:\\anders"_s)).toStdString(), folder);

            const FolderHandles::Look look = reads.look(u"C:\\start\\a"_s, false);
            EXPECT_EQ(look.standing, c.standing);
            if (c.standing == Standing::Folder) {
                struct stat there;
                ASSERT_EQ(::lstat(folder.c_str(), &there), 0);
                EXPECT_EQ(look.identity, (FolderHandles::Identity{there.st_dev, there.st_ino}));
            }
            const bool readHere = walkReads == ReadAhead::WalkReads::QuickOnesHere && answersWithoutWaiting(drives.host(u"C:\\start"_s));
            EXPECT_EQ(readByTheWalk, readHere ? 1 : 0);
        }
    }
    if (!notMounted.empty())
        GTEST_SKIP() << notMounted;
}

struct TreeWalk {
    std::set<std::string> found; // relative to the start folder
    int folders = 0;            // entered below the start folder
    int readByTheWalk = 0;      // of them, read on the walk's own thread
};

// The walk's order, breadth first, with every folder read ahead of its turn.
TreeWalk walkReadingAhead(const QString& start)
{
    TreeWalk walked;
    auto note = [&](const QString& text, const FolderScan& scan) {
        const QString relative = text.mid(start.size() + 1).replace(u'\\', u'/');
        const QString prefix = relative.isEmpty() ? QString() : relative + u'/';
        for (const QString& folder : scan.folders)
            walked.found.insert((prefix + folder).toStdString());
        for (qsizetype i = 0; i < scan.files.size(); ++i)
            walked.found.insert(prefix.toStdString() + std::string(scan.files.at(i).data(), std::size_t(scan.files.at(i).size())));
    };
    const std::thread::id walk = std::this_thread::get_id();
    std::atomic<int> readByTheWalk = 0;
    FolderReads reads([&](const ReadAhead::Request& request) {
        readByTheWalk += std::this_thread::get_id() == walk ? 1 : 0;
        return ReadAhead::readBelowParent(request);
    });
    readStart(reads, start);
    std::deque<QString> turns;
    auto enqueueBelow = [&](const QString& text, const FolderScan& scan) {
        note(text, scan);
        for (const QString& folder : scan.folders)
            turns.push_back(text + u'\\' + folder);
    };
    enqueueBelow(start, reads.last(start)->scan);
    for (; !turns.empty(); ++walked.folders) {
        const QString text = turns.front();
        turns.pop_front();
        std::optional<FolderReads::Read> read = takeAtItsTurn(reads, text);
        if (!read) {
            ADD_FAILURE() << "not read ahead: " << text.toStdString();
            break;
        }
        enqueueBelow(text, read->scan);
        reads.keepLast(std::move(*read));
        reads.readAheadBelow(text);
    }
    walked.readByTheWalk = readByTheWalk;
    return walked;
}

// A walk through thousands of folders, some of a few hundred files, with every folder
// read ahead of its turn, finds what an independent listing of the tree finds; where its
// file system lets it (not on a share), on one processor it reads them all itself, on more
// some beside a reader.
TEST(FolderReads, WideWalkReadAheadFindsWhatTheTreeHolds)
{
    TestDrives drives;
    const QString start = u"C:\\baum"_s;
    drives.makeFolder(start);
    // Thousands of entries cost seconds on a busy disk; where no file system can be mounted
    // the walk runs on the disk all the same.
    const SmallFileSystem inMemory(QFile::encodeName(drives.host(start)), "64m");
    const std::filesystem::path host = QFile::encodeName(drives.host(start)).toStdString();
    for (int a = 0; a < 40; ++a) {
        for (int b = 0; b < 50; ++b) {
            const std::filesystem::path folder = host / childName(a).toStdString() / childName(b).toStdString();
            std::filesystem::create_directories(folder);
            for (int c = 0; c < b % 3; ++c)
                std::filesystem::create_directory(folder / childName(c).toStdString());
            const int files = (a * 50 + b) % 401 == 0 ? 300 : b % 2;
            for (int f = 0; f < files; ++f)
                std::ofstream(folder / ("d" + std::to_string(f) + ".txt"));
        }
    }
    const std::set<std::string> expected = listedByTheHost(host);
    ASSERT_GT(expected.size(), 5000u);

    for (const bool oneProcessor : {false, true}) {
        SCOPED_TRACE(oneProcessor ? "one processor" : "every processor");
        std::optional<OnOneProcessor> pinned;
        if (oneProcessor)
            pinned.emplace();
        const TreeWalk walked = walkReadingAhead(start);
        EXPECT_EQ(walked.found, expected);
        // With more processors a reader reads beside the walk.
        if (!answersWithoutWaiting(drives.host(start)))
            EXPECT_EQ(walked.readByTheWalk, 0);
        else if (Processors::usable() == 1)
            EXPECT_EQ(walked.readByTheWalk, walked.folders);
        else
            EXPECT_LT(walked.readByTheWalk, walked.folders);
    }
}

} // namespace
