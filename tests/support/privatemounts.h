#pragma once

#include <QByteArray>

// Mounts a test makes go into a mount namespace of the process's own, so that nothing it
// mounts outlives it or shows to the host (systemd makes "/" shared, so the namespace's
// mounts are made private first). Only a process with one thread may enter one: call it
// first thing in a child (runInChild).
namespace PrivateMounts {

// Empty when the process now has mounts of its own; otherwise why not.
QByteArray enter();

} // namespace PrivateMounts
