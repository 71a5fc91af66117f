#include "platform/hostterminal.h"

#include <unistd.h>

namespace HostTerminal {

bool showsStandardError() { return isatty(STDERR_FILENO) == 1; }

} // namespace HostTerminal
