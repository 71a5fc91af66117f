#include "listing/folderreads.h"
#include "listing/readahead.h"
#include "listing/readersizing.h"
#include "support/testdrives.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

using Duration = ReaderSizing::Duration;

TEST(ReaderSizing, ReadersFollowTheTypicalReadOverTheTypicalWalkStep)
{
    struct Case {
        const char* what;
        std::vector<Duration> steps;
        std::vector<Duration> reads;
        std::size_t readers;
    };
    auto times = [](std::size_t count, Duration each) { return std::vector<Duration>(count, each); };
    auto mixed = [](std::size_t quick, Duration quickEach, std::size_t slow, Duration slowEach) {
        std::vector<Duration> made;
        for (std::size_t i = 0; i < quick + slow; ++i)
            made.push_back(i % 4 == 0 && i / 4 < quick ? quickEach : slowEach);
        return made;
    };
    // On a busy machine many reads in a row wait for the processor.
    std::vector<Duration> heldUp = times(12, 30us);
    heldUp.insert(heldUp.end(), 20, 50ms);
    const Case cases[] = {
        {"page cache: a read costs about two steps", times(15, 20us), times(16, 40us), 2},
        {"page cache, a walk far quicker than its reads", times(15, 2us), times(16, 120us), 2},
        {"cold disk", times(15, 20us), times(16, 600us), 30},
        {"cold disk, a quarter of it read before", times(15, 20us), mixed(8, 40us, 24, 600us), 30},
        {"share", times(15, 20us), times(16, 8ms), 64},
        {"slow reads for a slow walk", times(15, 400us), times(16, 900us), 3},
        {"reads held up by a busy processor", times(15, 20us), heldUp, 2},
        {"no step of the walk measured yet", {}, times(16, 8ms), 2},
        {"too few reads to weigh", times(15, 20us), times(ReaderSizing::kReadsPerDecision - 1, 8ms), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ReaderSizing sizing;
        for (Duration step : c.steps)
            sizing.noteWalkStep(step);
        for (Duration read : c.reads)
            sizing.noteRead(read);
        EXPECT_EQ(sizing.readers(), c.readers);
    }
}

TEST(ReaderSizing, ReturnsToTwoReadersWhenReadsGetQuickAgain)
{
    ReaderSizing sizing;
    sizing.noteWalkStep(20us);
    for (int i = 0; i < 16; ++i)
        sizing.noteRead(5ms);
    ASSERT_EQ(sizing.readers(), ReaderSizing::kMostReaders);
    for (int i = 0; i < 24; ++i)
        sizing.noteRead(30us);
    EXPECT_EQ(sizing.readers(), ReaderSizing::kFewestReaders);
}

// Reads that the test lets through one at a time, counting how many are inside at once.
class Gate {
public:
    FolderScan::Entries pass(const ReadAhead::Request& request, std::chrono::milliseconds waitOnDevice = 0ms)
    {
        std::unique_lock lock(m_mutex);
        m_mostInside = std::max(m_mostInside, ++m_insideNow);
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_permits > 0 || m_open; });
        if (!m_open)
            --m_permits;
        lock.unlock();
        std::this_thread::sleep_for(waitOnDevice);
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
    bool waitUntilPassed(int count)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, 30s, [&] { return m_passed >= count; });
    }
    int mostInside()
    {
        const std::lock_guard lock(m_mutex);
        return m_mostInside;
    }

private:
    std::mutex m_mutex;
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
        made.push_back({*WindowsPath::parse(pathOf(i)), pathOf(i), nullptr, QByteArray::number(i), nullptr});
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
    std::this_thread::sleep_for(200ms);
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

// Slow reads: many at once, never more than the most readers, each read handed to the
// walk as it was read and in the walk's order.
TEST(ReadAhead, SlowReadsAreReadManyAtOnceAndReachTheWalkUnchanged)
{
    struct Case {
        const char* what;
        std::chrono::milliseconds each;
        int fewestInside, mostInside;
    };
    const Case cases[] = {
        {"quick reads", 0ms, 1, int(ReaderSizing::kFewestReaders)},
        {"reads that wait 20 ms", 20ms, int(ReaderSizing::kFewestReaders) + 1, int(ReaderSizing::kMostReaders)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Gate gate;
        gate.open();
        ReadAhead ahead([&](const ReadAhead::Request& request) { return gate.pass(request, c.each); });
        constexpr int kFolders = 300;
        ahead.request(requests(kFolders));
        for (int i = 0; i < kFolders; ++i) {
            const std::optional<ReadAhead::Read> read = ahead.take(pathOf(i));
            ASSERT_TRUE(read);
            EXPECT_EQ(read->pathText, pathOf(i));
            ASSERT_TRUE(read->entries.identity);
            EXPECT_EQ(read->entries.identity->inode, ino_t(i));
        }
        EXPECT_GE(gate.mostInside(), c.fewestInside);
        EXPECT_LE(gate.mostInside(), c.mostInside);
    }
}

// The folders below the start folder, read for real, with every request the readers get seen.
class Requested {
public:
    ReadAhead::ReadFolder reader()
    {
        return [this](const ReadAhead::Request& request) {
            {
                const std::lock_guard lock(m_mutex);
                m_texts.push_back(request.pathText);
                m_parents.insert(request.parent.get());
            }
            return ReadAhead::readBelowParent(request);
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
    reads.noteFound(text, reads.look(text, false).identity);
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

TEST(FolderReads, NoMoreFoldersAreAskedForThanTheReadsAheadHeld)
{
    TestDrives drives;
    const int wide = int(ReadAhead::kMostReadsAhead) + 44;
    for (int i = 0; i < wide; ++i)
        drives.makeFolder(u"C:\\weit\\"_s + childName(i));
    Requested requested;
    FolderReads reads(requested.reader());
    readStart(reads, u"C:\\weit"_s);
    EXPECT_EQ(settled(requested, ReadAhead::kMostReadsAhead), ReadAhead::kMostReadsAhead);
    // Each folder taken lets one more be asked for; readers are woken for a few at once.
    for (int i = 0; i < int(ReadAhead::kReadsPerWaking); ++i)
        ASSERT_TRUE(takeAtItsTurn(reads, u"C:\\weit\\"_s + childName(i)));
    const std::size_t expected = ReadAhead::kMostReadsAhead + ReadAhead::kReadsPerWaking;
    EXPECT_EQ(settled(requested, expected), expected);
}

TEST(FolderReads, NoMoreParentsAreHeldOpenThanAllowed)
{
    TestDrives drives;
    const int parents = int(FolderReads::kMostParentsHeld) + 36;
    for (int i = 0; i < parents; ++i)
        drives.makeFolder(u"C:\\weit\\"_s + childName(i) + u"\\x"_s);
    Requested requested;
    FolderReads reads(requested.reader());
    readStart(reads, u"C:\\weit"_s);
    for (int i = 0; i < parents; ++i) {
        const QString text = u"C:\\weit\\"_s + childName(i);
        std::optional<FolderReads::Read> read = takeAtItsTurn(reads, text);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->scan.folders, QStringList({u"x"_s}));
        reads.keepLast(std::move(*read));
        reads.readAheadBelow(text);
    }
    // The start folder is one of them; the walk has entered none of the folders below yet.
    // Readers are woken for a few requests at once, so the last few may wait unread.
    const std::size_t mostBelow = FolderReads::kMostParentsHeld - 1;
    settled(requested, std::size_t(parents) + mostBelow - ReadAhead::kReadsPerWaking + 1);
    const std::size_t below = requested.ending(u"\\x"_s);
    EXPECT_LE(below, mostBelow);
    EXPECT_GT(below, mostBelow - ReadAhead::kReadsPerWaking);
    EXPECT_EQ(requested.parents(), below + 1);
}

} // namespace
