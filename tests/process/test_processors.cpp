#include "process/processors.h"
#include "support/ononeprocessor.h"

#include <gtest/gtest.h>

namespace {

// cpu.max as a control group writes it, and what is not: a quota rounds up to whole
// processors, and no limit or an unreadable line sets none.
TEST(Processors, ACgroupQuotaCountsWholeProcessors)
{
    const struct {
        const char* cpuMax;
        int processors;
    } cases[] = {
        {"max 100000\n", 0},       {"100000 100000\n", 1}, {"150000 100000\n", 2}, {"50000 100000", 1},
        {"400000 100000\n", 4},    {"", 0},                {"max", 0},             {"-1 100000", 0},
        {"100000 0", 0},           {"abc 100000", 0},      {"100000 100000 7", 0},
    };
    for (const auto& one : cases)
        EXPECT_EQ(Processors::quotaOf(one.cpuMax), one.processors) << one.cpuMax;
}

// Pinned to one processor, as `taskset -c 0` pins a run, the process has one to use.
TEST(Processors, AProcessPinnedToOneProcessorHasOne)
{
    {
        const OnOneProcessor pinned;
        ASSERT_TRUE(pinned.pinned());
        EXPECT_EQ(Processors::usable(), 1);
    }
    EXPECT_GE(Processors::usable(), 1);
}

} // namespace
