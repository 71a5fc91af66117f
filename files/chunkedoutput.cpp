#include "files/chunkedoutput.h"

ChunkedOutput::ChunkedOutput(FileReplacement& file, size_t chunkSize)
    : m_file(file)
    , m_chunkSize(chunkSize)
{
    m_chunk.reserve(chunkSize * 2);
}

bool ChunkedOutput::flush()
{
    const bool written = m_file.write(QByteArrayView(m_chunk.data(), qsizetype(m_chunk.size())));
    if (written && m_take)
        m_take(m_chunk);
    m_chunk.clear();
    return written;
}
