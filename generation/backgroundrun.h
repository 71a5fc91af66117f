#pragma once

#include "generation/generaterun.h"
#include "platform/drivetable.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <thread>

// One GenerateRun on a thread of its own, so the window stays alive however long the walk
// takes. The thread that starts it only reads the live figures, may ask it to stop, and
// takes the outcome and the run's controls over once finished() arrives.
class BackgroundRun : public QObject {
    Q_OBJECT

public:
    // observer: called on the run's thread as the walk enters a folder, after the live
    // figures were updated; writeObserver: as the list file is about to be written, once the
    // status says so (tests hold a run there).
    explicit BackgroundRun(GenerateRun::Input input, GenerateRun::Progress observer = {},
                           std::function<void()> writeObserver = {});
    // Stops the run and waits for its thread.
    ~BackgroundRun() override;

    void start();
    // The run ends before the next folder it would enter, touching no file; once the
    // list file is being written, it ends with the write.
    void requestStop() { m_stopRequested = true; }

    enum class Phase { Searching, Stopping, Writing };
    Phase phase() const;
    qsizetype foldersEntered() const { return m_foldersEntered; }
    qsizetype filesSeen() const { return m_filesSeen; }
    // What the status line shows while the run goes on: its live figures, that it is being
    // stopped, or that the list file is being written.
    QString statusText() const;
    // "Suche läuft: 123456 Dateien in 7890 Verzeichnissen ... (Esc bricht ab)"
    static QString progressText(qsizetype files, qsizetype folders);

    // Both only after finished().
    const GenerateRun::Outcome& outcome() const { return m_outcome; }
    const GenerateRun::Input& input() const { return m_input; }
    std::unique_ptr<GenerateRun> takeControls() { return std::move(m_run); }
    // The rows of the result list with the longest entries (see ListBox::longestRows).
    const QList<int>& longestResultRows() const { return m_longestResultRows; }

signals:
    void finished();

private:
    void work();
    void threadDone();

    GenerateRun::Input m_input;
    GenerateRun::Progress m_observer;
    std::function<void()> m_writeObserver;
    DriveTable m_drives;
    QThread* m_ownerThread;
    std::atomic<bool> m_stopRequested = false;
    std::atomic<bool> m_writing = false;
    std::atomic<qsizetype> m_foldersEntered = 0;
    std::atomic<qsizetype> m_filesSeen = 0;
    std::unique_ptr<GenerateRun> m_run;
    GenerateRun::Outcome m_outcome;
    QList<int> m_longestResultRows;
    std::thread m_thread;
};
