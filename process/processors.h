#pragma once

#include <QByteArrayView>

// How many processors this process may keep busy at once: those it may run on (its
// affinity, as `taskset` sets it) and no more than its control group's quota of processor
// time allows (`cpu.max`, as a container's limit sets it). A second thread earns its
// hand-offs only where a second processor runs it.
namespace Processors {

int usable();

// The whole processors a cgroup's cpu.max grants ("QUOTA PERIOD", or "max PERIOD" for no
// limit), rounded up: 0 where the text sets no limit or cannot be read.
int quotaOf(QByteArrayView cpuMax);

} // namespace Processors
