#pragma once

#include <cstddef>
#include <string_view>
#include <thread>

// Names a thread where the host's tools show threads (top -H, ps -L, a debugger), so that
// a run's threads can be told apart. Every thread this program starts carries a name that
// begins "korvale-". The host keeps no more than 15 bytes of a name.
namespace ThreadName {

void setForThisThread(const char* name);
// For one of several threads alike, named by their starter: prefix and number, "korvale-rd-7".
void setNumbered(std::thread& thread, std::string_view prefix, std::size_t number);

} // namespace ThreadName
