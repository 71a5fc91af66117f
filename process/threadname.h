#pragma once


// Names a thread where the host's tools show threads (top -H, ps -L, a debugger), so that
// a run's threads can be told apart. Every thread this program starts carries a name that
// begins "korvale-". The host keeps no more than 15 bytes of a name.
namespace ThreadName {

void setForThisThread(const char* name);

} // namespace ThreadName
