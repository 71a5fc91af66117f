#pragma once

#include <sched.h>

// The calling thread, and the threads it starts, on the first processor it may use alone,
// as `taskset -c 0` pins a run; as before once this goes.
class OnOneProcessor {
public:
    OnOneProcessor();
    ~OnOneProcessor();
    OnOneProcessor(const OnOneProcessor&) = delete;
    OnOneProcessor& operator=(const OnOneProcessor&) = delete;

    bool pinned() const { return m_pinned; }

private:
    cpu_set_t m_before;
    bool m_pinned = false;
};
