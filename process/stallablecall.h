#pragma once

#include <chrono>
#include <functional>
#include <memory>

// A host call that may never return (a stat or a folder read on a dead network share)
// runs on a thread of its own, so that whoever asked can wait for it at most a given
// time. A call that does not answer is left to end by itself; its thread holds nothing
// but the call and what the call captured, so it may outlive the one that asked.
class StallableCall {
public:
    // Starts call at once. What it finds it leaves in its own captures, which are safe to
    // read once answered() or waitFor() said true.
    explicit StallableCall(std::function<void()> call);

    // False where no thread could be started for the call: it never runs.
    bool started() const { return m_started; }
    bool answered() const;
    // True when the call has returned, at the latest after limit.
    bool waitFor(std::chrono::milliseconds limit) const;

private:
    struct State;
    std::shared_ptr<State> m_state;
    bool m_started = false;
};
