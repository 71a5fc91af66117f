#pragma once

#include "mounts/mounttable.h"

#include <QList>

// The host's mounts as a test may look at them: a mount whose file system does not answer
// within a second (a dead share) is left out, so that no test waits for it for good.
namespace HostMounts {

// Of each folder with mounts stacked on it, only the last one: the one reached through it.
QList<MountTable::Mount> answering(const MountTable& table = MountTable::read());

} // namespace HostMounts
