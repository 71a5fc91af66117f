#include "generation/chunkwriter.h"

#include "platform/filereplacement.h"

#include <system_error>
#include <utility>

ChunkWriter::ChunkWriter(FileReplacement& file)
    : m_file(file)
{
}

ChunkWriter::~ChunkWriter()
{
    finish();
    if (!m_writer.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_writerWakes.notify_one();
    m_writer.join();
}

bool ChunkWriter::write(std::string& chunk)
{
    // A short list needs no thread: the first chunk is written at once, the writer starts
    // with the second.
    if (m_chunks++ == 1)
        startWriter();
    if (!m_writer.joinable()) {
        m_failed = m_failed || !m_file.write(QByteArrayView(chunk.data(), qsizetype(chunk.size())));
        chunk.clear();
        return !m_failed;
    }
    std::unique_lock lock(m_mutex);
    m_callerWakes.wait(lock, [this] { return !m_hasWaiting || m_failed; });
    if (m_failed)
        return false;
    std::swap(chunk, m_waiting);
    m_hasWaiting = true;
    m_writerWakes.notify_one();
    lock.unlock();
    chunk.clear();
    return true;
}

void ChunkWriter::startWriter()
{
    try {
        m_writer = std::thread(&ChunkWriter::run, this);
    } catch (const std::system_error&) {
        // Out of threads: the caller's thread writes each chunk itself.
    }
}

bool ChunkWriter::finish()
{
    std::unique_lock lock(m_mutex);
    m_callerWakes.wait(lock, [this] { return (!m_hasWaiting && !m_writing) || m_failed; });
    return !m_failed;
}

void ChunkWriter::run()
{
    std::string inHand;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_writerWakes.wait(lock, [this] { return m_hasWaiting || m_stopping; });
        if (!m_hasWaiting)
            return;
        std::swap(inHand, m_waiting);
        m_hasWaiting = false;
        m_writing = true;
        m_callerWakes.notify_one();
        lock.unlock();
        const bool written = m_file.write(QByteArrayView(inHand.data(), qsizetype(inHand.size())));
        inHand.clear();
        lock.lock();
        m_writing = false;
        m_failed = m_failed || !written;
        m_callerWakes.notify_one();
    }
}
