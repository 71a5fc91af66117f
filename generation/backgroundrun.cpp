#include "generation/backgroundrun.h"

#include "generation/statustext.h"
#include "process/signalpipe.h"

#include <QThread>

#include <malloc.h>

BackgroundRun::BackgroundRun(GenerateRun::Input input, GenerateRun::Progress observer,
                             std::function<void()> writeObserver)
    : m_input(std::move(input))
    , m_observer(std::move(observer))
    , m_writeObserver(std::move(writeObserver))
    , m_drives(DriveTable::active())
    , m_ownerThread(QThread::currentThread())
{
    if (!m_thread.start("korvale-run", [this] { work(); }, HelperThread::kHostStack)) {
        m_outcome.shortage = Shortage::Threads;
        m_outcome.statusText = StatusText::shortOf(Shortage::Threads);
        QMetaObject::invokeMethod(this, &BackgroundRun::threadDone, Qt::QueuedConnection);
    }
}

BackgroundRun::~BackgroundRun() { m_stop.request_stop(); }

void BackgroundRun::work()
{
    // A signal must reach the thread that started the run, which is never stuck; this
    // one, and the readers it starts, may be.
    SignalPipe::blockInThisThread();
    DriveTable::setActive(m_drives);
    GenerateRun::Hooks hooks;
    hooks.progress = [this](qsizetype folders, qsizetype files) {
        m_foldersEntered = folders;
        m_filesSeen = files;
        if (m_observer)
            m_observer(folders, files);
    };
    hooks.stop = m_stop.get_token();
    hooks.oldListOnlyInMemory = [this] { m_oldListOnlyInMemory = true; };
    hooks.writing = [this] {
        m_writing = true;
        if (m_writeObserver)
            m_writeObserver();
    };
    auto run = std::make_unique<GenerateRun>(std::move(hooks));
    m_outcome = run->run(m_input);
    // A stopped or short run's lists are thrown away here, where freeing a million entries
    // keeps no window waiting, and the memory goes back to the system.
    if (m_outcome.stopped || m_outcome.shortage != Shortage::None) {
        run.reset();
        malloc_trim(0);
    } else {
        // Found here, the widest rows cost the window's thread a few measurements only.
        m_longestResultRows = run->List2().longestRows();
        run->moveToThread(m_ownerThread);
        m_run = std::move(run);
    }
    QMetaObject::invokeMethod(this, &BackgroundRun::threadDone, Qt::QueuedConnection);
}

// The join is what hands the run's results to this thread: everything the run wrote
// happened before it returns.
void BackgroundRun::threadDone()
{
    m_thread.join();
    emit finished();
}

BackgroundRun::Phase BackgroundRun::phase() const
{
    if (m_writing)
        return Phase::Writing;
    return m_stop.stop_requested() ? Phase::Stopping : Phase::Searching;
}

QString BackgroundRun::statusText() const
{
    switch (phase()) {
    case Phase::Searching:
        break;
    case Phase::Stopping:
        return StatusText::stopping();
    case Phase::Writing:
        return StatusText::writing(m_oldListOnlyInMemory ? StatusText::OldList::OnlyInMemory : StatusText::OldList::Safe);
    }
    return StatusText::searching(m_filesSeen, m_foldersEntered);
}
