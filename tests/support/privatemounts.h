#pragma once

#include <QByteArray>

// Mounts a test makes go into a mount namespace of the process's own, so that nothing it
// mounts outlives it or shows to the host (systemd makes "/" shared, so the namespace's
// mounts are made private first). Every test program enters one at its start, before any
// thread (testmain.cpp), for what its tests mount in its own process; a child that mounts
// may enter one of its own as well (runInChild), first thing.
namespace PrivateMounts {

// Empty when the process now has mounts of its own; otherwise why not. A thread started
// before stays with the mounts it had.
QByteArray enter();

// Enters one for the whole test program (testmain.cpp), once.
void enterForTheProgram();
// Why this test program has no mount namespace of its own, so that a test that would
// mount in its own process must skip; empty when it has one.
QByteArray missingForTheProgram();

} // namespace PrivateMounts
