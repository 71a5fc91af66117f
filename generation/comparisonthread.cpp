#include "generation/comparisonthread.h"

#include "generation/entrycomparison.h"
#include "generation/entrylines.h"
#include "process/processors.h"

#include <QByteArrayView>

#include <algorithm>
#include <utility>

ComparisonThread::ComparisonThread(EntryComparison& comparison)
    : m_comparison(comparison)
    , m_drives(DriveTable::active())
{
    if (Processors::usable() > 1)
        m_thread.start("korvale-compare", [this] {
            DriveTable::setActive(m_drives);
            compareHandedOver();
        });
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

void ComparisonThread::take(std::string& chunk)
{
    Chunk taken{std::move(chunk), std::exchange(m_lines, {})};
    if (!m_thread.joinable()) {
        compare(taken);
        chunk = std::move(taken.bytes);
        chunk.clear();
        return;
    }
    const size_t capacity = taken.bytes.capacity();
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_waiting.size() < kChunksWaiting; });
        m_waiting.push_back(std::move(taken));
        chunk = emptyBuffer(capacity);
    }
    m_changed.notify_all();
}

bool ComparisonThread::finish()
{
    if (!m_thread.joinable())
        return m_comparison.finish();
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
        compare(chunk);
        chunk.bytes.clear();
        const std::lock_guard lock(m_mutex);
        m_spare.push_back(std::move(chunk.bytes));
    }
    m_finished = m_comparison.finish();
}
