#pragma once

#include "drives/drivetable.h"
#include "generation/backgroundwork.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <stop_token>
#include <thread>

// The thread a BackgroundWork does its work on: named, with the session's signals blocked
// (they must reach the thread that started it, which is never stuck; this one may be, in
// a read), and with the drive table as the work began. Once the work returns, done() runs
// on the thread that made this one, after the join, which makes everything the work wrote
// visible there. Destroyed first, it asks the work to stop and waits for it.
class WorkThread {
public:
    using Work = std::function<void(std::stop_token)>;

    // receiver: the object on the starting thread that done() belongs to; it is not called
    // once that is gone.
    WorkThread(const char* name, QObject* receiver, Work work, std::function<void()> done);
    ~WorkThread() = default;
    WorkThread(const WorkThread&) = delete;
    WorkThread& operator=(const WorkThread&) = delete;

    void requestStop() { m_thread.request_stop(); }
    // Called by the work as its file is about to be written: from then on no stop ends it.
    void beginWriting() { m_writing = true; }
    // Writing once begun; stopping once asked to.
    BackgroundWork::Phase phase() const;

private:
    DriveTable m_drives;
    std::atomic<bool> m_writing = false;
    // Last: it starts once everything it uses is in place, and going first it waits for
    // the work before any of that goes.
    std::jthread m_thread;
};
