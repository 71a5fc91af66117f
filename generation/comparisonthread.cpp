#include "generation/comparisonthread.h"

#include "generation/entrycomparison.h"
#include "generation/entrylines.h"
#include "process/processors.h"

#include <QByteArrayView>

#include <algorithm>
#include <utility>

ComparisonThread::ComparisonThread(EntryComparison& comparison, FileReplacement* replacing)
    : m_comparison(comparison)
    , m_replacing(replacing)
    , m_old(replacing ? replacing->oldContent() : OldContent())
    , m_drives(DriveTable::active())
{
    if (Processors::usable() > 1) {
        if (m_replacing)
            m_replacing->leaveDiskStartToCaller();
        m_thread.start("korvale-compare", [this] {
            DriveTable::setActive(m_drives);
            compareHandedOver();
        });
    }
}

// Where the write failed before finish(), the comparison is dropped where it stands.
ComparisonThread::~ComparisonThread() { endThread(true); }

void ComparisonThread::endThread(bool abandon)
{
    {
        const std::lock_guard lock(m_mutex);
        m_ended = true;
        m_abandoned = abandon;
    }
    m_changed.notify_all();
    m_thread.join();
}

bool ComparisonThread::take(std::string& chunk)
{
    Chunk taken{std::move(chunk), std::exchange(m_lines, {})};
    if (!m_thread.joinable()) {
        m_writeFailed = m_writeFailed || !writeAndCompare(taken);
        chunk = std::move(taken.bytes);
        chunk.clear();
        return !m_writeFailed;
    }
    const size_t capacity = taken.bytes.capacity();
    startDiskOnBytesWritten();
    letGoOfOldBytesRead();
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_waiting.size() < kChunksWaiting || m_writeFailed; });
        if (m_writeFailed) {
            chunk = std::move(taken.bytes);
            chunk.clear();
            return false;
        }
        m_waiting.push_back(std::move(taken));
        chunk = emptyBuffer(capacity);
    }
    m_changed.notify_all();
    return true;
}

bool ComparisonThread::finish()
{
    if (!m_thread.joinable())
        return !m_writeFailed && m_comparison.finish();
    endThread(false);
    return m_finished;
}

// Under the lock: a buffer the comparison is done with, or a new one as large.
std::string ComparisonThread::emptyBuffer(size_t capacity)
{
    if (!m_spare.empty()) {
        std::string spare = std::move(m_spare.back());
        m_spare.pop_back();
        return spare;
    }
    std::string fresh;
    fresh.reserve(capacity);
    return fresh;
}

// Only where the old list is replaced: a list checked stays, and is read again.
void ComparisonThread::letGoOfOldBytesRead()
{
    constexpr off_t kStep = off_t(4) << 20;
    const off_t read = m_oldBytesRead.load(std::memory_order_relaxed);
    if (!m_replacing || read - m_oldBytesLetGo < kStep)
        return;
    m_old.letGoOfCache(read);
    m_oldBytesLetGo = read;
}

void ComparisonThread::startDiskOnBytesWritten()
{
    const off_t written = m_bytesWritten.load(std::memory_order_relaxed);
    if (!m_replacing || written == m_diskStartedOn)
        return;
    m_replacing->startDiskOn(m_diskStartedOn, written - m_diskStartedOn);
    m_diskStartedOn = written;
}

// A failed write ends the comparison: what was written is not the list to compare with.
bool ComparisonThread::writeAndCompare(const Chunk& chunk)
{
    if (m_replacing) {
        if (!m_replacing->write(QByteArrayView(chunk.bytes.data(), qsizetype(chunk.bytes.size()))))
            return false;
        m_bytesWritten.fetch_add(off_t(chunk.bytes.size()), std::memory_order_relaxed);
    }
    compare(chunk);
    return true;
}

// Most lines stand in the old list as they are: a run of them passes in one comparison of
// bytes, and only from where the two differ is each line compared on its own.
void ComparisonThread::compare(const Chunk& chunk)
{
    const std::vector<Line>& lines = chunk.lines;
    if (lines.empty())
        return;
    const size_t end = lines.back().start + lines.back().length + EntryLines::kLineEndLength;
    for (auto line = lines.begin(); line != lines.end();) {
        const QByteArrayView rest(chunk.bytes.data() + line->start, qsizetype(end - line->start));
        // The chunk's lines are known: those a run passed are found, not counted.
        auto next = line;
        const auto linesIn = [&](qsizetype passed) {
            next = std::lower_bound(line, lines.end(), line->start + size_t(passed),
                                    [](const Line& each, size_t at) { return each.start < at; });
            return qsizetype(next - line);
        };
        if (m_comparison.addEqualRun(rest, linesIn) > 0) {
            m_nextRow += next - line;
            line = next;
            continue;
        }
        m_comparison.add(QByteArrayView(chunk.bytes.data() + line->start, qsizetype(line->length)), m_nextRow++);
        ++line;
    }
}

void ComparisonThread::compareHandedOver()
{
    for (;;) {
        Chunk chunk;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_waiting.empty() || m_ended; });
            if (m_abandoned)
                return;
            if (m_waiting.empty())
                break;
            chunk = std::move(m_waiting.front());
            m_waiting.pop_front();
        }
        m_changed.notify_all();
        const bool written = writeAndCompare(chunk);
        m_oldBytesRead.store(m_comparison.oldBytesRead(), std::memory_order_relaxed);
        chunk.bytes.clear();
        const std::lock_guard lock(m_mutex);
        m_spare.push_back(std::move(chunk.bytes));
        if (!written) {
            m_writeFailed = true;
            m_changed.notify_all();
            return;
        }
    }
    m_finished = m_comparison.finish();
}
