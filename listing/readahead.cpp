#include "listing/readahead.h"

#include "platform/folderhandles.h"

#include <algorithm>
#include <system_error>

ReadAhead::ReadAhead()
{
    try {
        m_worker = std::thread(&ReadAhead::work, this);
    } catch (const std::system_error&) {
        // Out of threads: the walk goes on without reading ahead.
    }
}

ReadAhead::~ReadAhead()
{
    if (!m_worker.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_workerWakes.notify_one();
    m_worker.join();
}

void ReadAhead::request(std::vector<Request> requests)
{
    const std::lock_guard lock(m_mutex);
    std::move(requests.begin(), requests.end(), std::back_inserter(m_requests));
    if (m_workerWaits)
        m_workerWakes.notify_one();
}

std::size_t ReadAhead::outstanding()
{
    const std::lock_guard lock(m_mutex);
    return m_requests.size() + m_reads.size() + (m_inHand ? 1 : 0);
}

// Looked for in the order of requesting: the folder asked for is nearly always among the
// first.
bool ReadAhead::isPending(QStringView pathText) const
{
    return std::any_of(m_reads.cbegin(), m_reads.cend(), [&](const Read& read) { return read.pathText == pathText; })
        || (m_inHand && *m_inHand == pathText)
        || std::any_of(m_requests.cbegin(), m_requests.cend(),
                       [&](const Request& request) { return request.pathText == pathText; });
}

std::optional<ReadAhead::Read> ReadAhead::take(QStringView pathText)
{
    std::unique_lock lock(m_mutex);
    if (!isPending(pathText))
        return std::nullopt;
    for (;;) {
        if (m_reads.empty()) {
            m_walkWaits = true;
            m_walkWakes.wait(lock, [this] {
                return !m_reads.empty() && (m_reads.size() >= kReadsPerWaking || m_requests.empty());
            });
            m_walkWaits = false;
        }
        Read read = std::move(m_reads.front());
        m_reads.pop_front();
        if (m_workerWaits && !m_requests.empty())
            m_workerWakes.notify_one();
        if (read.pathText == pathText)
            return read;
    }
}

void ReadAhead::work()
{
    DriveTable::setActive(m_drives);
    // Handles of its own: the walk's thread keeps its own open at the same time.
    FolderHandles handles;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_workerWaits = true;
        m_workerWakes.wait(lock, [this] {
            return m_stopping || (!m_requests.empty() && m_reads.size() < kMostReadsAhead);
        });
        m_workerWaits = false;
        if (m_stopping)
            return;
        Request request = std::move(m_requests.front());
        m_requests.pop_front();
        m_inHand = request.pathText;
        lock.unlock();
        FolderScan::Entries entries = FolderScan::readEntries(handles, request.path, request.pathText);
        lock.lock();
        m_inHand.reset();
        m_reads.push_back({std::move(request.path), std::move(request.pathText), std::move(entries)});
        if (m_walkWaits && (m_reads.size() >= kReadsPerWaking || m_requests.empty()))
            m_walkWakes.notify_one();
    }
}
