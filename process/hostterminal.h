#pragma once

// The terminal the program was started from, if any.
namespace HostTerminal {

// True when standard error goes to a terminal, where a line may be rewritten in place.
bool showsStandardError();

// False where TERM is unset, empty or "dumb" (an editor's shell buffer, a serial line):
// there, escape sequences would show as garbage.
bool understandsEscapes();

} // namespace HostTerminal
