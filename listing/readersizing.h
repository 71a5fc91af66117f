#pragma once

#include <array>
#include <chrono>
#include <cstddef>

// How many folders a walk reads at once. A reader needs a read's time for a folder and the
// walk a step's time to handle it, so about read / step readers keep up with the walk. A
// read from the page cache costs little more than a step: two readers, one per core, do.
// A read that waits on its device (a share's round trips, a cold disk) takes far longer,
// and tens of readers hide that wait, up to kMostReaders. Both times are the lower quartiles
// of the last few: on a busy machine some reads are held up while another program has the
// processor, and more readers would not help them.
class ReaderSizing {
public:
    using Duration = std::chrono::nanoseconds;

    void noteRead(Duration elapsed);
    void noteWalkStep(Duration elapsed);
    std::size_t readers() const { return m_readers; }

    static constexpr std::size_t kFewestReaders = 2;
    static constexpr std::size_t kMostReaders = 64;
    // Below this a read did not wait on its device: more readers than cores would only
    // take the processor from the walk.
    static constexpr Duration kSlowRead = std::chrono::microseconds(150);
    // The count is weighed again after this many reads.
    static constexpr std::size_t kReadsPerDecision = 8;

private:
    // The last few durations, oldest overwritten first.
    class Recent {
    public:
        void add(Duration elapsed);
        bool isEmpty() const { return m_count == 0; }
        Duration lowerQuartile() const;

    private:
        std::array<Duration, 31> m_values{};
        std::size_t m_next = 0;
        std::size_t m_count = 0;
    };

    void decide();

    Recent m_reads;
    Recent m_steps;
    std::size_t m_readsSinceDecision = 0;
    std::size_t m_readers = kFewestReaders;
};
