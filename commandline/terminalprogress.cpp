#include "commandline/terminalprogress.h"

#include "generation/statustext.h"

namespace {

constexpr qint64 kIntervalMs = 100;
constexpr char kClearLine[] = "\r\x1b[K";

} // namespace

TerminalProgress::TerminalProgress(Sink sink, Rewrite rewrite)
    : m_sink(std::move(sink))
    , m_rewrite(rewrite)
{
}

void TerminalProgress::update(qsizetype folders, qsizetype files)
{
    const std::lock_guard lock(m_mutex);
    if (m_phaseShown || (m_shownLength >= 0 && !m_sinceLastLine.hasExpired(kIntervalMs)))
        return;
    m_sinceLastLine.start();
    show(StatusText::terminalProgress(folders, files));
}

void TerminalProgress::showStopping()
{
    const std::lock_guard lock(m_mutex);
    if (!m_writingShown)
        showPhase(StatusText::stopping());
}

void TerminalProgress::showWriting(StatusText::OldList oldList)
{
    const std::lock_guard lock(m_mutex);
    m_writingShown = true;
    showPhase(StatusText::writing(oldList));
}

void TerminalProgress::showPhase(const QString& text)
{
    m_phaseShown = true;
    show(text);
}

void TerminalProgress::finish()
{
    const std::lock_guard lock(m_mutex);
    m_phaseShown = false;
    m_writingShown = false;
    if (m_shownLength < 0)
        return;
    show(QString());
    if (m_rewrite == Rewrite::CarriageReturnOnly)
        m_sink("\r");
    m_shownLength = -1;
}

void TerminalProgress::show(const QString& text)
{
    if (m_rewrite == Rewrite::ClearEscape) {
        m_sink(kClearLine + text.toUtf8());
    } else {
        // Blanks over what is left of a longer line before.
        const qsizetype blanks = qMax<qsizetype>(0, m_shownLength - text.size());
        m_sink('\r' + text.toUtf8() + QByteArray(blanks, ' '));
    }
    m_shownLength = text.size();
}
