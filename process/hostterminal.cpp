#include "process/hostterminal.h"

#include <QByteArray>
#include <QtGlobal>

#include <unistd.h>

namespace HostTerminal {

bool showsStandardError() { return isatty(STDERR_FILENO) == 1; }

bool understandsEscapes()
{
    const QByteArray term = qgetenv("TERM");
    return !term.isEmpty() && term != "dumb";
}

} // namespace HostTerminal
