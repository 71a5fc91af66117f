#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class FileReplacement;

// Writes a file chunk by chunk on a thread of its own while the caller makes the next
// chunk, so that the host's copying and the disk's start overlap the making. Three buffers
// take turns (the one being made, the one waiting, the one being written), so memory stays
// at three chunks. The first chunk, and every chunk where no thread can be started, is
// written at once.
class ChunkWriter {
public:
    explicit ChunkWriter(FileReplacement& file);
    // Waits for the chunks handed over.
    ~ChunkWriter();
    ChunkWriter(const ChunkWriter&) = delete;
    ChunkWriter& operator=(const ChunkWriter&) = delete;

    // Takes the chunk and gives back an empty buffer to fill. False once a write has
    // failed: nothing more is written then.
    bool write(std::string& chunk);
    // Waits until every chunk handed over is written; true when all of them were.
    bool finish();

private:
    void startWriter();
    void run();

    FileReplacement& m_file;
    qsizetype m_chunks = 0; // handed over so far
    std::mutex m_mutex;
    std::condition_variable m_writerWakes;
    std::condition_variable m_callerWakes;
    std::string m_waiting;
    bool m_hasWaiting = false;
    bool m_writing = false;
    bool m_failed = false;
    bool m_stopping = false;
    std::thread m_writer;
};
