#pragma once

#include "background/stopgrace.h"
#include "generation/generaterun.h"
#include "process/helperthread.h"
#include "table/tablerun.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <stop_token>

// The command line's answer to SIGINT, SIGTERM and SIGHUP during a run. It has no event loop
// and a folder read may block it, so a thread of its own waits on the signal pipe: the first
// signal asks the run to stop, which it does before its next folder or once the read in
// hand returns; a second one ends the program at once
// (a second Ctrl-C with 130, as other tools do), and so does a run still going 2 s after the
// first, as that signal would. A list file being written over where it stands is waited for
// even then, so it is whole or untouched. While the watch lives, only its thread takes the
// signals: the thread that made it, and those that one starts, may be stuck in a read.
// Where no thread can be started for it, the signals end the program as they end any other.
class TerminalProgress;

class InterruptWatch {
public:
    // progress: the terminal's progress line, when there is one; it says at once that the
    // run is being stopped, though the run itself may be stuck. grace: how long a stopped
    // run may keep the program (tests that hold a run shorten it).
    explicit InterruptWatch(TerminalProgress* progress = nullptr,
                            std::chrono::milliseconds grace = StopGrace::kGrace);
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // The hooks of the run this watch is for: it stops once a signal came, and the progress
    // line follows it.
    GenerateRun::Hooks runHooks();
    // The same for the table that follows the run.
    TableRun::Hooks tableHooks();
    // The run has ended: from now on nothing ends the program but endAsAsked().
    void runEnded();
    // After the cleanup: a signal that came ends the program as that signal ends a program
    // that does not catch it, so a shell loop stops too.
    void endAsAsked();

private:
    void watch();
    [[noreturn]] void endAtOnce(int signal);
    [[noreturn]] static void endBy(int signal);

    TerminalProgress* m_progress;
    StopGrace m_grace; // only the watcher's thread uses it
    std::atomic<int> m_firstSignal = 0;
    std::stop_source m_stop;
    // Held while deciding to end: once the run has ended, the watcher ends nothing.
    std::mutex m_ending;
    bool m_runEnded = false;
    HelperThread m_watcher;
};
