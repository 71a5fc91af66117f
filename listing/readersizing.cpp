#include "listing/readersizing.h"

#include <algorithm>

void ReaderSizing::Recent::add(Duration elapsed)
{
    m_values[m_next] = elapsed;
    m_next = (m_next + 1) % m_values.size();
    m_count = std::min(m_count + 1, m_values.size());
}

ReaderSizing::Duration ReaderSizing::Recent::lowerQuartile() const
{
    std::array<Duration, std::tuple_size_v<decltype(m_values)>> sorted = m_values;
    const auto end = sorted.begin() + std::ptrdiff_t(m_count);
    const auto quartile = sorted.begin() + std::ptrdiff_t(m_count / 4);
    std::nth_element(sorted.begin(), quartile, end);
    return *quartile;
}

void ReaderSizing::noteRead(Duration elapsed)
{
    m_reads.add(elapsed);
    if (++m_readsSinceDecision >= kReadsPerDecision)
        decide();
}

void ReaderSizing::noteWalkStep(Duration elapsed)
{
    m_steps.add(elapsed);
}

void ReaderSizing::decide()
{
    if (m_steps.isEmpty())
        return;
    m_readsSinceDecision = 0;
    const Duration read = m_reads.lowerQuartile();
    if (read < kSlowRead) {
        m_readers = kFewestReaders;
        return;
    }
    // A step too short for the clock counts as one of a microsecond.
    const Duration step = std::max(m_steps.lowerQuartile(), Duration(std::chrono::microseconds(1)));
    const auto keepingUp = std::size_t((read + step - Duration(1)) / step);
    m_readers = std::clamp(keepingUp, kFewestReaders, kMostReaders);
}
