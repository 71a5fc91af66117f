#include "generation/workthread.h"

#include "process/signalpipe.h"
#include "process/threadname.h"

WorkThread::WorkThread(const char* name, QObject* receiver, Work work, std::function<void()> done)
    : m_drives(DriveTable::active())
    , m_thread([this, name, receiver, work = std::move(work), done = std::move(done)](std::stop_token stop) {
        ThreadName::setForThisThread(name);
        SignalPipe::blockInThisThread();
        DriveTable::setActive(m_drives);
        work(std::move(stop));
        QMetaObject::invokeMethod(
            receiver,
            [this, done] {
                m_thread.join();
                done();
            },
            Qt::QueuedConnection);
    })
{
}

BackgroundWork::Phase WorkThread::phase() const
{
    if (m_writing)
        return BackgroundWork::Phase::Writing;
    return m_thread.get_stop_token().stop_requested() ? BackgroundWork::Phase::Stopping : BackgroundWork::Phase::Working;
}
