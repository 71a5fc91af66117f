#include "files/chunkedoutput.h"

ChunkedOutput::ChunkedOutput(FileReplacement& file)
    : m_file(file)
{
    m_chunk.reserve(kChunkSize * 2);
}

bool ChunkedOutput::flush()
{
    const bool written = m_file.write(QByteArrayView(m_chunk.data(), qsizetype(m_chunk.size())));
    m_chunk.clear();
    return written;
}
