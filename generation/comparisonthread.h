#pragma once

#include "drives/drivetable.h"
#include "files/filereplacement.h"
#include "files/keptcontent.h"
#include "process/helperthread.h"

#include <QtGlobal>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

class EntryComparison;

// Compares the lines of a list file being written with the old list on a second processor:
// reading the old list, merging it with the new one and naming what differs then cost the
// maker of the lines nothing but the hand-over of each chunk. Where the process has one
// processor to use, or no thread to start, each chunk is written and compared on the
// maker's thread as it is handed over. The comparison names entries from the result list,
// which nobody changes while it is written, and by the maker's drive table, which the
// thread takes a copy of.
//
// The maker tells where each entry line lies in the chunk being made, and hands the chunk
// over once it is made (ChunkedOutput::passChunksTo); it gets back an empty buffer to make
// the next one in. Where the chunks go to a file, this thread writes each before it
// compares it: on the maker's thread the copy into the page cache made the lines of the
// large tree's list take 90-120 ms instead of 58-61, while the comparison waited for chunks
// half of its time. Now the maker waits for this thread, and meanwhile does what may be
// done anywhere: it asks the disk to start on the bytes written (moved off this thread, that
// took the large tree's write phase from 93-109 ms to 80-85), and lets the page cache go of
// the old list's bytes read (the close that drops the replaced file would otherwise spend
// 12-15 ms on them after the rename, at the end of the run). A third thread writing each
// chunk while this one compares it saved nothing: the maker, the write and the comparison
// then kept both processors full, and the write phase took 214 ms against 195 (medians of
// eleven).
//
// At most kChunksWaiting chunks wait, however far the maker runs ahead: a mebibyte beside a
// list of a million entries. Each chunk handed over may wake the comparison, which costs
// both threads; chunks of 128 KiB made the list's write a fifth slower than chunks of
// 512 KiB.
class ComparisonThread {
public:
    // With a file being replaced, each chunk is written to it before it is compared; without
    // one, only compared.
    explicit ComparisonThread(EntryComparison& comparison, FileReplacement* replacing = nullptr);
    ~ComparisonThread();
    ComparisonThread(const ComparisonThread&) = delete;
    ComparisonThread& operator=(const ComparisonThread&) = delete;

    // An entry line of the chunk being made: where it starts in it, and its length without
    // the line end.
    void lineMade(size_t start, size_t length) { m_lines.push_back({start, length}); }
    // The chunk once made: the comparison takes it, and chunk is left empty. False once a
    // write failed: then nothing more is written or compared.
    bool take(std::string& chunk);
    // After the last chunk: waits for the writes and the comparison to end and returns the
    // comparison's finish(), false where a write failed.
    bool finish();

    static constexpr size_t kChunksWaiting = 2;
    static constexpr size_t kChunkSize = size_t(512) << 10;

private:
    struct Line {
        size_t start;
        size_t length;
    };
    struct Chunk {
        std::string bytes;
        std::vector<Line> lines;
    };

    bool writeAndCompare(const Chunk& chunk);
    void compare(const Chunk& chunk);
    void compareHandedOver();
    std::string emptyBuffer(size_t capacity);
    void letGoOfOldBytesRead();
    void startDiskOnBytesWritten();
    void endThread(bool abandon);

    EntryComparison& m_comparison;
    FileReplacement* m_replacing;
    OldContent m_old; // the replaced file's old bytes, as read for the comparison
    DriveTable m_drives;
    qsizetype m_nextRow = 0;
    std::vector<Line> m_lines; // those of the chunk being made
    std::atomic<off_t> m_oldBytesRead = 0;
    off_t m_oldBytesLetGo = 0;
    std::atomic<off_t> m_bytesWritten = 0;
    off_t m_diskStartedOn = 0;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Chunk> m_waiting;
    std::vector<std::string> m_spare;
    bool m_ended = false;
    bool m_abandoned = false;
    bool m_writeFailed = false;
    bool m_finished = false;
    HelperThread m_thread;
};
