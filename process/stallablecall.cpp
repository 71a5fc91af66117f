#include "process/stallablecall.h"

#include "process/signalpipe.h"
#include "process/threadname.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

struct StallableCall::State {
    std::mutex mutex;
    std::condition_variable answer;
    bool answered = false;
};

StallableCall::StallableCall(std::function<void()> call)
    : m_state(std::make_shared<State>())
{
    // Without a thread to spare the call goes unanswered, as a stalled one would.
    try {
        std::thread([state = m_state, call = std::move(call)] {
            ThreadName::setForThisThread("korvale-probe");
            // A probe may stay stuck in its call for good: a signal the kernel handed
            // to it would never run its handler, so the session would not end.
            SignalPipe::blockInThisThread();
            call();
            const std::lock_guard lock(state->mutex);
            state->answered = true;
            state->answer.notify_all();
        }).detach();
        m_started = true;
    } catch (const std::system_error&) {
    }
}

bool StallableCall::answered() const
{
    const std::lock_guard lock(m_state->mutex);
    return m_state->answered;
}

bool StallableCall::waitFor(std::chrono::milliseconds limit) const
{
    std::unique_lock lock(m_state->mutex);
    return m_state->answer.wait_for(lock, limit, [this] { return m_state->answered; });
}
