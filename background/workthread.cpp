#include "background/workthread.h"

#include "process/signalpipe.h"

WorkThread::WorkThread()
    : m_drives(DriveTable::active())
{
}

bool WorkThread::start(const char* name, Work work, std::function<void()> done)
{
    m_end = std::make_unique<WorkEnd>([this, done = std::move(done)] {
        m_thread.join();
        done();
    });
    WorkEnd* end = m_end.get();
    const bool started = m_thread.start(
        name,
        [this, end, work = std::move(work)] {
            SignalPipe::blockInThisThread();
            DriveTable::setActive(m_drives);
            work(m_stop.get_token());
            QMetaObject::invokeMethod(end, "arrive", Qt::QueuedConnection);
        },
        HelperThread::kHostStack);
    if (!started)
        QMetaObject::invokeMethod(end, "arrive", Qt::QueuedConnection);
    return started;
}

BackgroundWork::Phase WorkThread::phase() const
{
    if (m_writing)
        return BackgroundWork::Phase::Writing;
    return m_stop.stop_requested() ? BackgroundWork::Phase::Stopping : BackgroundWork::Phase::Working;
}
