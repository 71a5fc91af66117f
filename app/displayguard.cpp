#include "app/displayguard.h"

#include "commandline/consoleoutput.h"

#include <cstdio>
#include <cstdlib>

namespace {

DisplayGuard* s_active = nullptr;

} // namespace

DisplayGuard::DisplayGuard()
{
    s_active = this;
    m_previous = qInstallMessageHandler(&DisplayGuard::handle);
}

DisplayGuard::~DisplayGuard() { release(); }

void DisplayGuard::release()
{
    if (m_released)
        return;
    m_released = true;
    qInstallMessageHandler(m_previous);
    s_active = nullptr;
    for (const HeldMessage& held : std::as_const(m_held)) {
        const QMessageLogContext context(nullptr, 0, nullptr, held.category.constData());
        qt_message_output(held.type, context, held.text);
    }
    m_held.clear();
}

QString DisplayGuard::missingDisplayText()
{
    return QStringLiteral("Das Fenster braucht eine grafische Oberfläche, aber es ist keine Anzeige erreichbar.\n"
                          "Ohne Anzeige erzeugt „korvale --generate“ die Liste auf der Kommandozeile; "
                          "mehr dazu: korvale --help\n");
}

void DisplayGuard::handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        s_active->m_held.append({type, QByteArray(context.category ? context.category : "default"), message});
        return;
    }
    // Qt aborts once this returns; its reasons (the display it tried) follow our lines, its
    // advice to reinstall does not, since reinstalling would not help.
    QByteArray lines = ConsoleOutput::errorLines(missingDisplayText());
    for (const HeldMessage& held : std::as_const(s_active->m_held)) {
        const QMessageLogContext heldContext(nullptr, 0, nullptr, held.category.constData());
        lines += ConsoleOutput::messageLines(held.type, heldContext, held.text);
    }
    std::fwrite(lines.constData(), 1, size_t(lines.size()), stderr);
    std::fflush(stderr);
    std::_Exit(kExitCode);
}
