#pragma once

#include "background/backgroundwork.h"
#include "drives/drivetable.h"
#include "process/helperthread.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <stop_token>

// Wakes the thread that started a work once the work has returned. The queued call by name
// carries nothing, so what the work wrote reaches that thread through the join alone, an
// order every thread checker sees; a call that carried data would hand it over through Qt's
// event queue instead.
class WorkEnd : public QObject {
    Q_OBJECT

public:
    explicit WorkEnd(std::function<void()> arrived)
        : m_arrived(std::move(arrived))
    {
    }
    Q_INVOKABLE void arrive() { m_arrived(); }

private:
    std::function<void()> m_arrived;
};

// The thread a BackgroundWork does its work on: named, with the session's signals blocked
// (they must reach the thread that started it, which is never stuck; this one may be, in
// a read), and with the drive table as the work began. Once the work returns, done() runs
// on the thread that made this one, after the join, which makes everything the work wrote
// visible there. Destroyed first, it asks the work to stop and waits for it.
class WorkThread {
public:
    using Work = std::function<void(std::stop_token)>;

    WorkThread();
    ~WorkThread() { m_stop.request_stop(); }
    WorkThread(const WorkThread&) = delete;
    WorkThread& operator=(const WorkThread&) = delete;

    // done() is never called once this is gone. False where the host has no thread to give:
    // the work is not done, and done() follows all the same, so that the caller ends as it
    // always does.
    bool start(const char* name, Work work, std::function<void()> done);

    void requestStop() { m_stop.request_stop(); }
    // Called by the work as its file is about to be written: from then on no stop ends it.
    void beginWriting() { m_writing = true; }
    // Writing once begun; stopping once asked to.
    BackgroundWork::Phase phase() const;

private:
    DriveTable m_drives;
    std::atomic<bool> m_writing = false;
    std::stop_source m_stop;
    std::unique_ptr<WorkEnd> m_end;
    // Last: going first, it waits for the work (asked to stop) before any of the above goes.
    HelperThread m_thread;
};
