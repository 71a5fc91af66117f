#include "background/stopgrace.h"

#include <algorithm>

void StopGrace::stopRequested(Clock::time_point now)
{
    if (!m_firstRequest)
        m_firstRequest = now;
}

std::optional<StopGrace::Clock::time_point> StopGrace::closeRequested(Clock::time_point now)
{
    if (!m_firstRequest) {
        m_firstRequest = now;
        return std::nullopt;
    }
    return graceEnd(now);
}

StopGrace::Clock::time_point StopGrace::sessionEnds(Clock::time_point now)
{
    stopRequested(now);
    return graceEnd(now);
}

StopGrace::Clock::time_point StopGrace::graceEnd(Clock::time_point now) const
{
    return std::max(now, *m_firstRequest + m_grace);
}
