#include "commandline/interruptwatch.h"

#include "commandline/terminalprogress.h"
#include "generation/statustext.h"
#include "process/exitguard.h"
#include "process/signalpipe.h"
#include "table/tabletext.h"

#include <csignal>

namespace {

// The shell's code for a program ended by Ctrl-C.
constexpr int kInterruptedExitCode = 128 + SIGINT;

} // namespace

InterruptWatch::InterruptWatch(TerminalProgress* progress, std::chrono::milliseconds grace)
    : m_progress(progress)
    , m_grace(grace)
{
    if (SignalPipe::readEnd() >= 0) {
        // Before the run starts its readers, so that they keep the signals from them too.
        SignalPipe::blockInThisThread();
        if (!m_watcher.start("korvale-signals", [this] { watch(); })) {
            // Nobody could take them: the signals end the program as they end any other.
            SignalPipe::restoreDefaultActions();
            SignalPipe::unblockInThisThread();
        }
    }
}

InterruptWatch::~InterruptWatch() { runEnded(); }

GenerateRun::Hooks InterruptWatch::runHooks()
{
    GenerateRun::Hooks hooks;
    hooks.stop = m_stop.get_token();
    if (TerminalProgress* progress = m_progress) {
        hooks.progress = [progress](qsizetype folders, qsizetype files) { progress->update(folders, files); };
        hooks.writing = [progress] { progress->showWriting(StatusText::writing(StatusText::OldList::Safe)); };
        hooks.oldListOnlyInMemory = [progress] {
            progress->showWriting(StatusText::writing(StatusText::OldList::OnlyInMemory));
        };
    }
    return hooks;
}

TableRun::Hooks InterruptWatch::tableHooks()
{
    TableRun::Hooks hooks;
    hooks.stop = m_stop.get_token();
    if (TerminalProgress* progress = m_progress) {
        hooks.progress = [progress](qsizetype filesRead, qsizetype files) { progress->updateTable(filesRead, files); };
        hooks.writing = [progress] { progress->showWriting(TableText::writing()); };
    }
    return hooks;
}

void InterruptWatch::runEnded()
{
    {
        const std::lock_guard lock(m_ending);
        m_runEnded = true;
    }
    if (m_watcher.joinable()) {
        SignalPipe::wake();
        m_watcher.join();
        SignalPipe::unblockInThisThread();
    }
}

void InterruptWatch::watch()
{
    SignalPipe::unblockInThisThread();
    std::optional<StopGrace::Clock::time_point> graceEnd;
    for (;;) {
        std::chrono::milliseconds timeout(-1);
        if (graceEnd)
            timeout = std::max(std::chrono::ceil<std::chrono::milliseconds>(*graceEnd - StopGrace::Clock::now()),
                               std::chrono::milliseconds(0));
        const std::optional<int> signal = SignalPipe::waitForArrival(timeout);
        const std::lock_guard lock(m_ending);
        if (signal && m_firstSignal == 0) {
            // Kept even when the run has just ended: endAsAsked() ends by it.
            m_firstSignal = *signal;
            if (m_runEnded)
                return;
            m_stop.request_stop();
            if (m_progress)
                m_progress->showStopping();
            graceEnd = m_grace.sessionEnds(StopGrace::Clock::now());
        } else if (m_runEnded) {
            return;
        } else if (signal) {
            endAtOnce(*signal);
        } else if (graceEnd && StopGrace::Clock::now() >= *graceEnd) {
            endBy(m_firstSignal);
        }
    }
}

void InterruptWatch::endAtOnce(int signal)
{
    if (signal == SIGINT)
        ExitGuard::exitNow(kInterruptedExitCode);
    endBy(signal);
}

void InterruptWatch::endBy(int signal)
{
    ExitGuard::closeWrites();
    SignalPipe::raiseWithDefaultAction(signal);
}

void InterruptWatch::endAsAsked()
{
    runEnded();
    const int signal = m_firstSignal != 0 ? m_firstSignal.load() : SignalPipe::takeArrived().value_or(0);
    if (signal != 0)
        endBy(signal);
}
