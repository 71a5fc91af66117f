#pragma once

// Names the calling thread where the host's tools show threads (top -H, ps -L, a
// debugger), so that a run's threads can be told apart. The host keeps 15 bytes of it.
namespace ThreadName {

void setForThisThread(const char* name);

} // namespace ThreadName
