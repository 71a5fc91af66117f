#include "background/backgroundrun.h"

#include "generation/statustext.h"

#include <QThread>

#include <malloc.h>

BackgroundRun::BackgroundRun(GenerateRun::Input input, GenerateRun::Progress observer,
                             std::function<void()> writeObserver)
    : m_input(std::move(input))
    , m_observer(std::move(observer))
    , m_writeObserver(std::move(writeObserver))
    , m_ownerThread(QThread::currentThread())
{
    const bool started = m_thread.start(
        "korvale-run", [this](std::stop_token stop) { work(std::move(stop)); }, [this] { emit finished(); });
    if (!started) {
        m_outcome.shortage = Shortage::Threads;
        m_outcome.statusText = StatusText::shortOf(Shortage::Threads);
    }
}

void BackgroundRun::work(std::stop_token stop)
{
    GenerateRun::Hooks hooks;
    hooks.progress = [this](qsizetype folders, qsizetype files) {
        m_foldersEntered = folders;
        m_filesSeen = files;
        if (m_observer)
            m_observer(folders, files);
    };
    hooks.stop = std::move(stop);
    hooks.oldListOnlyInMemory = [this] { m_oldListOnlyInMemory = true; };
    hooks.writing = [this] {
        m_thread.beginWriting();
        if (m_writeObserver)
            m_writeObserver();
    };
    auto run = std::make_unique<GenerateRun>(std::move(hooks));
    m_outcome = run->run(m_input);
    // A stopped or short run's lists, and a check's, are thrown away here, where freeing a
    // million entries keeps no window waiting, and the memory goes back to the system.
    if (m_outcome.stopped || m_outcome.shortage != Shortage::None || m_input.listToCheck) {
        run.reset();
        malloc_trim(0);
    } else {
        // Found here, the widest rows cost the window's thread a few measurements only.
        m_longestResultRows = run->List2().longestRows();
        run->moveToThread(m_ownerThread);
        m_run = std::move(run);
    }
}

BackgroundWork::Status BackgroundRun::progress() const
{
    return {StatusText::searching(m_input.sourceFolder, m_filesSeen, m_foldersEntered), {m_input.sourceFolder}};
}

QString BackgroundRun::writingText() const
{
    return StatusText::writing(m_oldListOnlyInMemory ? StatusText::OldList::OnlyInMemory : StatusText::OldList::Safe);
}
