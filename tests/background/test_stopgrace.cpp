#include "background/stopgrace.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using std::chrono::milliseconds;

enum class Request { Stop, Close, SessionEnd };

struct Step {
    milliseconds at;
    Request request;
    // For a close or the end of the session: when the program may end without the run.
    std::optional<milliseconds> endsAt;
};

} // namespace

// The two seconds count from the first request to stop or close; the first close alone
// waits for the run, a later one ends the program once the two seconds are over.
TEST(StopGrace, ACloseEndsTheProgramOnlyOnceTheRunHadItsTime)
{
    const milliseconds none(-1);
    const struct {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"one close waits", {{milliseconds(0), Request::Close, std::nullopt}}},
        {"second close at once: at 2 s",
         {{milliseconds(0), Request::Close, std::nullopt}, {milliseconds(300), Request::Close, milliseconds(2000)}}},
        {"second close later: now",
         {{milliseconds(0), Request::Close, std::nullopt}, {milliseconds(2500), Request::Close, milliseconds(2500)}}},
        {"escape starts the time",
         {{milliseconds(0), Request::Stop, std::nullopt}, {milliseconds(100), Request::Close, milliseconds(2000)}}},
        {"escape long ago",
         {{milliseconds(0), Request::Stop, std::nullopt}, {milliseconds(9000), Request::Close, milliseconds(9000)}}},
        {"a signal alone: 2 s", {{milliseconds(500), Request::SessionEnd, milliseconds(2500)}}},
        {"a signal after a close",
         {{milliseconds(0), Request::Close, std::nullopt}, {milliseconds(1000), Request::SessionEnd, milliseconds(2000)}}},
    };
    const StopGrace::Clock::time_point start = StopGrace::Clock::now();
    for (const auto& [name, steps] : cases) {
        StopGrace grace;
        for (const Step& step : steps) {
            std::optional<StopGrace::Clock::time_point> endsAt;
            switch (step.request) {
            case Request::Stop:
                grace.stopRequested(start + step.at);
                break;
            case Request::Close:
                endsAt = grace.closeRequested(start + step.at);
                break;
            case Request::SessionEnd:
                endsAt = grace.sessionEnds(start + step.at);
                break;
            }
            EXPECT_EQ(endsAt ? endsAt.value() - start : none, step.endsAt.value_or(none)) << name;
        }
    }
}
