#pragma once

// The terminal the program was started from, if any.
namespace HostTerminal {

// True when standard error goes to a terminal, where a line may be rewritten in place.
bool showsStandardError();

} // namespace HostTerminal
