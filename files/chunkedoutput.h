#pragma once

#include "files/filereplacement.h"

#include <QByteArrayView>

#include <functional>
#include <string>

// Bytes made line by line into one reused buffer and handed to a FileReplacement a chunk at
// a time, so a file of a million lines never stands in memory whole. The chunks are written
// on the caller's thread: the disk starts on each while the next is made (see
// FileReplacement::write).
class ChunkedOutput {
public:
    explicit ChunkedOutput(FileReplacement& file, size_t chunkSize = kChunkSize);

    // Where the bytes are read once more after their write: each chunk written goes to take,
    // which may leave another buffer in its place, empty.
    using ChunkTaker = std::function<void(std::string& chunk)>;
    void passChunksTo(ChunkTaker take) { m_take = std::move(take); }

    void append(const char* data, size_t length) { m_chunk.append(data, length); }
    // The bytes made since size() was start, until the next lineDone().
    size_t size() const { return m_chunk.size(); }
    QByteArrayView since(size_t start) const
    {
        return QByteArrayView(m_chunk.data() + start, qsizetype(m_chunk.size() - start));
    }
    // After each line: writes the chunk once it is full. False once a write failed.
    bool lineDone() { return m_chunk.size() < m_chunkSize || flush(); }
    // Writes what is left. False when this or any write before failed.
    bool flush();

    static constexpr size_t kChunkSize = size_t(1) << 20;

private:
    FileReplacement& m_file;
    size_t m_chunkSize;
    std::string m_chunk;
    ChunkTaker m_take;
};

// Counts the bytes a line maker appends, where a file written over in place must know its
// size before the first byte.
struct ByteCount {
    qint64 size = 0;
    void append(const char*, size_t length) { size += qint64(length); }
};
