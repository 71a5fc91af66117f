#include "files/chunkedoutput.h"

#include "process/processors.h"

#include <utility>

ChunkedOutput::ChunkedOutput(FileReplacement& file, size_t chunkSize)
    : m_file(file)
    , m_chunkSize(chunkSize)
{
    m_chunk.reserve(chunkSize * 2);
}

ChunkedOutput::~ChunkedOutput()
{
    if (!m_writer.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_changed.notify_all();
    m_writer.join();
}

bool ChunkedOutput::handOver()
{
    if (m_take || !startWriter())
        return flush();
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_handedOver; });
    if (m_failed)
        return false;
    m_writing.swap(m_chunk);
    m_chunk.clear();
    m_handedOver = true;
    lock.unlock();
    m_changed.notify_all();
    return true;
}

bool ChunkedOutput::startWriter()
{
    if (!std::exchange(m_writerTried, true) && Processors::usable() > 1) {
        m_writing.reserve(m_chunk.capacity());
        m_writer.start("korvale-write", [this] { writeHandedOver(); });
    }
    return m_writer.joinable();
}

void ChunkedOutput::writeHandedOver()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_handedOver || m_ending; });
        if (!m_handedOver)
            return;
        lock.unlock();
        const bool written = m_file.write(QByteArrayView(m_writing.data(), qsizetype(m_writing.size())));
        lock.lock();
        m_failed = m_failed || !written;
        m_handedOver = false;
        m_changed.notify_all();
    }
}

bool ChunkedOutput::waitForWriter()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_handedOver; });
    return !m_failed;
}

bool ChunkedOutput::flush()
{
    if (!waitForWriter())
        return false;
    const bool written =
        m_take ? m_take(m_chunk) : m_file.write(QByteArrayView(m_chunk.data(), qsizetype(m_chunk.size())));
    m_chunk.clear();
    return written;
}
