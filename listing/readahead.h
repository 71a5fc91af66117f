#pragma once

#include "listing/folderscan.h"
#include "platform/drivetable.h"
#include "platform/windowspath.h"

#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Reads the folders a walk will enter next on a second thread, in the order it will enter
// them, while the walk handles the folders before: opening and reading a folder costs as
// much as listing what it holds, and the two overlap on two cores. Only reading happens
// ahead; whether a folder is still there, and the same one, is asked at its turn.
class ReadAhead {
public:
    struct Read {
        WindowsPath path;
        QString pathText;
        FolderScan::Entries entries;
    };

    ReadAhead();
    ~ReadAhead();
    // False where no second thread could be started: then nothing is read ahead, and the
    // walk reads every folder itself.
    bool isReading() const { return m_worker.joinable(); }
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    struct Request {
        WindowsPath path;
        QString pathText;
    };
    // Folders are asked for in the order they were requested; some may be passed over.
    void request(std::vector<Request> requests);
    // Requested and not yet taken.
    std::size_t outstanding();
    // The read of that folder, waiting for it; the reads of folders requested before it
    // are dropped. Nothing when it was never requested.
    std::optional<Read> take(QStringView pathText);

private:
    void work();
    bool isPending(QStringView pathText) const;

public:
    // Reads done and not yet taken are held to this many, so memory stays bounded however
    // far the walk lags behind.
    static constexpr std::size_t kMostReadsAhead = 256;

private:
    // A thread that waits is woken for a few reads at once, not for each: waking costs
    // more than a small folder's read.
    static constexpr std::size_t kReadsPerWaking = 16;

    // The drives of the walk's thread: each thread works with the table it installed.
    const DriveTable m_drives = DriveTable::active();
    std::mutex m_mutex;
    std::condition_variable m_workerWakes;
    std::condition_variable m_walkWakes;
    std::deque<Request> m_requests;
    std::deque<Read> m_reads;
    std::optional<QString> m_inHand; // the folder the worker reads now
    bool m_stopping = false;
    bool m_walkWaits = false;
    bool m_workerWaits = false;
    std::thread m_worker;
};
