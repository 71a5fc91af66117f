#pragma once

#include <chrono>
#include <optional>

// How long a run that was asked to stop may keep the program waiting. A run stops between
// two folders, so it ends at once unless a folder read hangs (a dead network share); then
// the person who asked twice, or the session that ends, must not wait for it. The time
// counts from the first request to stop or to close, whichever came first.
class StopGrace {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kGrace{2000};

    // Tests that hold a run give it a shorter grace, so that its end comes in a moment.
    explicit StopGrace(std::chrono::milliseconds grace = kGrace)
        : m_grace(grace)
    {
    }

    // A new run: no request to stop it came yet.
    void runStarts() { m_firstRequest.reset(); }
    // Escape: the run is asked to stop.
    void stopRequested(Clock::time_point now);
    // The window is asked to close, or the program to end, while the run goes on. Nothing for
    // the first such request (the program waits for the run to stop); for any later one, the
    // moment at which the program may end without the run: the end of the grace, or now.
    std::optional<Clock::time_point> closeRequested(Clock::time_point now);
    // The session ends (a signal): the program ends by the end of the grace at the latest.
    Clock::time_point sessionEnds(Clock::time_point now);

private:
    Clock::time_point graceEnd(Clock::time_point now) const;

    std::chrono::milliseconds m_grace;
    std::optional<Clock::time_point> m_firstRequest;
};
