#include "background/workthread.h"

#include "process/signalpipe.h"

WorkThread::WorkThread()
    : m_drives(DriveTable::active())
{
}

bool WorkThread::start(const char* name, QObject* receiver, Work work, std::function<void()> done)
{
    // The join is what hands the work's results to the receiver's thread: everything the
    // work wrote happened before it returns.
    auto joinThenDone = [this, done = std::move(done)] {
        m_thread.join();
        done();
    };
    const bool started = m_thread.start(
        name,
        [this, receiver, work = std::move(work), joinThenDone] {
            SignalPipe::blockInThisThread();
            DriveTable::setActive(m_drives);
            work(m_stop.get_token());
            QMetaObject::invokeMethod(receiver, joinThenDone, Qt::QueuedConnection);
        },
        HelperThread::kHostStack);
    if (!started)
        QMetaObject::invokeMethod(receiver, joinThenDone, Qt::QueuedConnection);
    return started;
}

BackgroundWork::Phase WorkThread::phase() const
{
    if (m_writing)
        return BackgroundWork::Phase::Writing;
    return m_stop.stop_requested() ? BackgroundWork::Phase::Stopping : BackgroundWork::Phase::Working;
}
