#pragma once

#include "drives/drivetable.h"
#include "generation/generaterun.h"
#include "process/helperthread.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <stop_token>

// One GenerateRun on a thread of its own ("korvale-run"), so the window stays alive however
// long the walk takes. The thread that makes it only reads the live figures, may ask it to
// stop, and takes the outcome and the run's controls over once finished() arrives.
class BackgroundRun : public QObject {
    Q_OBJECT

public:
    // Starts the run. observer: called on the run's thread as the walk enters a folder,
    // after the live figures were updated; writeObserver: as the list file is about to be
    // written, once the status says so (tests hold a run there).
    // Where no thread can be started, the run ends at once as failed for want of one.
    explicit BackgroundRun(GenerateRun::Input input, GenerateRun::Progress observer = {},
                           std::function<void()> writeObserver = {});
    ~BackgroundRun() override;

    // The run ends before the next folder it would enter, or once the read in hand
    // returns, touching no file; once the list file is being written, it ends with the
    // write.
    void requestStop() { m_stop.request_stop(); }

    enum class Phase { Searching, Stopping, Writing };
    Phase phase() const;
    // What the status line shows while the run goes on: its live figures, that it is being
    // stopped, or that the list file is being written.
    QString statusText() const;

    // Both only after finished().
    const GenerateRun::Outcome& outcome() const { return m_outcome; }
    const GenerateRun::Input& input() const { return m_input; }
    std::unique_ptr<GenerateRun> takeControls() { return std::move(m_run); }
    // The rows of the result list with the longest entries (see ListBox::longestRows).
    const QList<int>& longestResultRows() const { return m_longestResultRows; }

signals:
    // On the thread that made the run, once the run's thread has ended. A receiver that
    // destroys the run takes it queued, never within this signal.
    void finished();

private:
    void work();
    void threadDone();

    GenerateRun::Input m_input;
    GenerateRun::Progress m_observer;
    std::function<void()> m_writeObserver;
    DriveTable m_drives;
    QThread* m_ownerThread;
    std::atomic<bool> m_writing = false;
    std::atomic<bool> m_oldListOnlyInMemory = false;
    std::atomic<qsizetype> m_foldersEntered = 0;
    std::atomic<qsizetype> m_filesSeen = 0;
    std::unique_ptr<GenerateRun> m_run;
    GenerateRun::Outcome m_outcome;
    QList<int> m_longestResultRows;
    std::stop_source m_stop;
    // Last: it starts once everything it uses is in place, and going first it waits for the
    // run (asked to stop) before any of that goes.
    HelperThread m_thread;
};
