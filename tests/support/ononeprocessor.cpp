#include "support/ononeprocessor.h"

OnOneProcessor::OnOneProcessor()
{
    if (sched_getaffinity(0, sizeof m_before, &m_before) != 0)
        return;
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int processor = 0; processor < CPU_SETSIZE; ++processor) {
        if (CPU_ISSET(processor, &m_before)) {
            CPU_SET(processor, &one);
            break;
        }
    }
    m_pinned = sched_setaffinity(0, sizeof one, &one) == 0;
}

OnOneProcessor::~OnOneProcessor()
{
    if (m_pinned)
        sched_setaffinity(0, sizeof m_before, &m_before);
}
