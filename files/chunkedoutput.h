#pragma once

#include "files/filereplacement.h"
#include "process/helperthread.h"

#include <QByteArrayView>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

// Bytes made line by line into a buffer and handed to a FileReplacement a chunk at a time,
// so a file of a million lines never stands in memory whole. The disk starts on each chunk
// while the next is made (see FileReplacement::write). Where the process has a second
// processor, each full chunk is written on a thread of its own (korvale-write) while the
// next is made: the copy into the page cache and the start of the disk's work on it cost
// about as much as making the chunk. Otherwise they are written on the caller's thread.
// Where chunks go on to be read again, whoever reads them writes them first.
class ChunkedOutput {
public:
    explicit ChunkedOutput(FileReplacement& file, size_t chunkSize = kChunkSize);
    // Waits for a chunk still being written; the bytes not flushed are not written.
    ~ChunkedOutput();
    ChunkedOutput(const ChunkedOutput&) = delete;
    ChunkedOutput& operator=(const ChunkedOutput&) = delete;

    // Where the bytes are read once more after their write: each chunk made goes to take,
    // which writes it to the file before it reads it, returns false once a write failed,
    // and may leave another buffer in its place, empty.
    using ChunkTaker = std::function<bool(std::string& chunk)>;
    void passChunksTo(ChunkTaker take) { m_take = std::move(take); }

    void append(const char* data, size_t length) { m_chunk.append(data, length); }
    // The bytes made since size() was start, until the next lineDone().
    size_t size() const { return m_chunk.size(); }
    QByteArrayView since(size_t start) const
    {
        return QByteArrayView(m_chunk.data() + start, qsizetype(m_chunk.size() - start));
    }
    // After each line: hands the chunk over for its write once it is full. False once a
    // write failed.
    bool lineDone() { return m_chunk.size() < m_chunkSize || handOver(); }
    // Writes what is left, once every chunk before is written. False when this or any
    // write before failed.
    bool flush();

    static constexpr size_t kChunkSize = size_t(1) << 20;

private:
    bool handOver();
    bool startWriter();
    void writeHandedOver();
    // Until no chunk is being written; whether every write so far succeeded.
    bool waitForWriter();

    FileReplacement& m_file;
    size_t m_chunkSize;
    std::string m_chunk;
    ChunkTaker m_take;

    // The chunk the writer thread writes, while m_chunk is being made.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_writing;
    bool m_handedOver = false;
    bool m_failed = false;
    bool m_ending = false;
    bool m_writerTried = false;
    HelperThread m_writer;
};

// Counts the bytes a line maker appends, where a file written over in place must know its
// size before the first byte.
struct ByteCount {
    qint64 size = 0;
    void append(const char*, size_t length) { size += qint64(length); }
};
