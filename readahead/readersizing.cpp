#include "readahead/readersizing.h"

#include <algorithm>
#include <utility>

void ReadSpeed::note(Duration took)
{
    m_recent[m_next] = took;
    m_next = (m_next + 1) % m_recent.size();
    m_count = std::min(m_count + 1, m_recent.size());
    if (++m_readsSinceCheck >= kReadsPerCheck) {
        m_readsSinceCheck = 0;
        m_quick = lowerQuartile() < kSlowRead;
    }
}

ReadSpeed::Duration ReadSpeed::lowerQuartile() const
{
    std::array<Duration, std::tuple_size_v<decltype(m_recent)>> sorted = m_recent;
    const auto end = sorted.begin() + std::ptrdiff_t(m_count);
    const auto quartile = sorted.begin() + std::ptrdiff_t(m_count / 4);
    std::nth_element(sorted.begin(), quartile, end);
    return *quartile;
}

void ReaderSizing::noteRead(TimePoint started, TimePoint finished, bool answeredHere)
{
    m_speed.note(finished - started);
    m_lastAnsweredHere = answeredHere;
    if (m_speed.quick()) {
        startOver();
        return;
    }
    // The fixed count reads this machine's disks: nothing to weigh.
    if (answeredHere)
        return;
    if (std::exchange(m_justTurnedSlow, false)) {
        changeTo(kFirstSlowReaders);
        return;
    }
    if (m_unsettled > 0) {
        --m_unsettled;
        return;
    }
    if (m_samples++ == 0)
        m_firstSampleEnded = finished;
    // Counted from the end of the first read on: the reads after it ended in that time.
    const Duration took = finished - m_firstSampleEnded;
    if (m_samples < std::max(kFewestSamples, kSamplesPerReader * m_readers) || took < kShortestWeighing)
        return;
    const double readsPerSecond = double(m_samples - 1) / std::chrono::duration<double>(took).count();
    m_samples = 0;
    weigh(readsPerSecond);
}

void ReaderSizing::startOver()
{
    m_readers = kFewestReaders;
    m_justTurnedSlow = true;
    m_unsettled = 0;
    m_samples = 0;
    m_trial.reset();
    m_stays = 0;
}

void ReaderSizing::weigh(double readsPerSecond)
{
    if (m_trial) {
        const Trial trial = *std::exchange(m_trial, std::nullopt);
        const double higher = trial.wentUp ? readsPerSecond : trial.readsPerSecondBefore;
        const double lower = trial.wentUp ? trial.readsPerSecondBefore : readsPerSecond;
        const bool higherPays = higher >= lower * kWorthwhileGain;
        if (higherPays == trial.wentUp) {
            tryCount(trial.wentUp, readsPerSecond); // on the same way while it pays
            return;
        }
        changeTo(trial.readersBefore);
        m_stays = 1;
        // Half as many were too few to read as much; perhaps more read more.
        if (!trial.wentUp)
            tryCount(true, trial.readsPerSecondBefore);
        return;
    }
    if (m_stays > 0 && ++m_stays < kStaysBeforeTrying)
        return;
    tryCount(m_stays == 0 || m_readers == kFewestReaders, readsPerSecond);
}

// Moves to the count on trial, where the bounds leave one; otherwise stays.
void ReaderSizing::tryCount(bool up, double readsPerSecond)
{
    m_stays = 1;
    const std::size_t next = up ? std::min(2 * m_readers, kMostReaders) : std::max(m_readers / 2, kFewestReaders);
    if (next == m_readers)
        return;
    m_trial = Trial{m_readers, readsPerSecond, up};
    changeTo(next);
}

void ReaderSizing::changeTo(std::size_t readers)
{
    m_unsettled = std::max(m_readers, readers);
    m_readers = readers;
}
