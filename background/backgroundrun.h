#pragma once

#include "background/backgroundwork.h"
#include "background/workthread.h"
#include "generation/generaterun.h"

#include <atomic>
#include <memory>

// One GenerateRun on a thread of its own ("korvale-run"), so the window stays alive however
// long the walk takes. The thread that makes it only reads the live figures, may ask it to
// stop, and takes the outcome and the run's controls over once finished() arrives.
class BackgroundRun : public BackgroundWork {
    Q_OBJECT

public:
    // Starts the run. observer: called on the run's thread as the walk enters a folder,
    // after the live figures were updated; writeObserver: as the list file is about to be
    // written, once the status says so (tests hold a run there).
    // Where no thread can be started, the run ends at once as failed for want of one.
    explicit BackgroundRun(GenerateRun::Input input, GenerateRun::Progress observer = {},
                           std::function<void()> writeObserver = {});

    // The run ends before the next folder it would enter, or once the read in hand
    // returns, touching no file; once the list file is being written, it ends with the
    // write.
    void requestStop() override { m_thread.requestStop(); }
    Phase phase() const override { return m_thread.phase(); }

    // Only after finished(); a stopped run and a check hand over no controls.
    const GenerateRun::Outcome& outcome() const { return m_outcome; }
    const GenerateRun::Input& input() const { return m_input; }
    std::unique_ptr<GenerateRun> takeControls() { return std::move(m_run); }
    // The rows of the result list with the longest entries (see ListBox::longestRows).
    const QList<int>& longestResultRows() const { return m_longestResultRows; }

protected:
    Status progress() const override;
    QString writingText() const override;

private:
    void work(std::stop_token stop);

    GenerateRun::Input m_input;
    GenerateRun::Progress m_observer;
    std::function<void()> m_writeObserver;
    QThread* m_ownerThread;
    std::atomic<bool> m_oldListOnlyInMemory = false;
    std::atomic<qsizetype> m_foldersEntered = 0;
    std::atomic<qsizetype> m_filesSeen = 0;
    std::unique_ptr<GenerateRun> m_run;
    GenerateRun::Outcome m_outcome;
    QList<int> m_longestResultRows;
    // Last: it starts once everything it uses is in place, and going first it waits for the
    // run (asked to stop) before any of that goes.
    WorkThread m_thread;
};
