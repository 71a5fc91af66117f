#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <optional>

// Whether folders are read from the page cache, or wait on their device: weighed every few
// reads on the lower quartile of the last few, as on a busy machine some reads are held up
// while another program has the processor, and more readers would not help them.
class ReadSpeed {
public:
    using Duration = std::chrono::nanoseconds;

    void note(Duration took);
    bool quick() const { return m_quick; }

    // Below this a read did not wait on its device (a folder from the page cache takes about
    // ten).
    static constexpr Duration kSlowRead = std::chrono::microseconds(50);
    // Whether reads are quick is weighed again after this many reads.
    static constexpr std::size_t kReadsPerCheck = 8;

private:
    Duration lowerQuartile() const;

    // The last few read times, oldest overwritten first.
    std::array<Duration, 31> m_recent{};
    std::size_t m_next = 0;
    std::size_t m_count = 0;
    std::size_t m_readsSinceCheck = 0;
    bool m_quick = true;
};

// How many folders a walk reads at once. A read from the page cache costs little more than
// the walk's step: two readers, one per core, do (where the walk may read such folders
// itself, it reads beside one reader instead; see ReadAhead). A read that waits on its
// device takes far longer, and more reads in flight hide that wait, but only as far as the
// device answers them: a share's server answers tens at once, a stick fewer, and reads
// beyond that only queue there and slow every other read down.
//
// A cold disk of this machine is read by a fixed count. Trying counts there cost more than
// they found: the reads ended in a short weighing vary by a third at one count, the reads
// the walk had asked for and a new count finds waiting make more readers look better than
// they are, and each trial of too many or too few readers slowed the walk. Sixteen walked
// a cold tree sooner than any count the trying settled on, and than 32 or 64.
//
// Elsewhere the count is found by trying: from eight where the reads first turn out slow
// (a share mostly answers that many at once, and the walk should not wait out a climb from
// two), it is doubled while folders read per second still rise by a good share, and where
// they stop rising it goes back to the count before and stays. Every so often it tries half
// as many, then twice as many, and follows the way that pays, as the walk may have reached
// another device. The rate is that at which reads end, so where the walk holds them back
// (it takes folders no faster, or asks for few at a time) more readers read no more and are
// not kept; nor where they take the processor from the walk.
class ReaderSizing {
public:
    using Duration = std::chrono::nanoseconds;
    using TimePoint = std::chrono::steady_clock::time_point;

    // answeredHere: the folder lies in memory or on a disk of this machine
    // (FileSystemTypes::answersWithoutWaiting).
    void noteRead(TimePoint started, TimePoint finished, bool answeredHere);
    std::size_t readers() const { return !quick() && m_lastAnsweredHere ? kDiskReaders : m_readers; }
    // Whether the reads noted lately came quick (see ReadSpeed).
    bool quick() const { return m_speed.quick(); }

    // While reads are quick (see ReadSpeed): more readers than cores would only take the
    // processor from the walk.
    static constexpr std::size_t kFewestReaders = 2;
    // Slow reads from a disk of this machine.
    static constexpr std::size_t kDiskReaders = 16;
    // Where the reads from elsewhere turn slow, the first count tried.
    static constexpr std::size_t kFirstSlowReaders = 8;
    static constexpr std::size_t kMostReaders = 64;
    // Twice the readers must read at least this much more per second to be kept.
    static constexpr double kWorthwhileGain = 1.15;
    // Reads weighed for one count: a few per reader, over a time long enough that neither
    // the slow reads of a stick nor a moment without the processor are a lucky handful.
    static constexpr std::size_t kFewestSamples = 16;
    static constexpr std::size_t kSamplesPerReader = 4;
    static constexpr Duration kShortestWeighing = std::chrono::milliseconds(10);
    // Counts weighed while staying before one more reader count is tried.
    static constexpr std::size_t kStaysBeforeTrying = 8;

private:
    // Twice or half the count before, weighed against it: the higher of the two counts
    // stays only where it reads enough more.
    struct Trial {
        std::size_t readersBefore;
        double readsPerSecondBefore;
        bool wentUp;
    };

    void startOver();
    void weigh(double readsPerSecond);
    void tryCount(bool up, double readsPerSecond);
    void changeTo(std::size_t readers);

    ReadSpeed m_speed;
    bool m_lastAnsweredHere = false;
    // Since the reads last turned slow, no count has been weighed yet.
    bool m_justTurnedSlow = false;
    std::size_t m_readers = kFewestReaders;
    // Reads still to end that were begun before the last change of the count.
    std::size_t m_unsettled = 0;
    // The reads ended since the count was last weighed, and when the first of them ended.
    std::size_t m_samples = 0;
    TimePoint m_firstSampleEnded;
    std::optional<Trial> m_trial;
    std::size_t m_stays = 0; // counts weighed since the last change; none before the first
};
