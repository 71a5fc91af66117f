#include "commandline/terminalprogress.h"

#include <QString>

namespace {

constexpr qint64 kIntervalMs = 100;
constexpr char kClearLine[] = "\r\x1b[K";

} // namespace

TerminalProgress::TerminalProgress(Sink sink)
    : m_sink(std::move(sink))
{
}

void TerminalProgress::update(qsizetype folders, qsizetype files)
{
    if (m_shown && !m_sinceLastLine.hasExpired(kIntervalMs))
        return;
    m_sinceLastLine.start();
    m_shown = true;
    m_sink(kClearLine + QStringLiteral("Verzeichnisse: %1, Dateien: %2 …").arg(folders).arg(files).toUtf8());
}

void TerminalProgress::finish()
{
    if (m_shown)
        m_sink(kClearLine);
    m_shown = false;
}
