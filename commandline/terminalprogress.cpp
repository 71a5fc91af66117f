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
    if (m_phase == Phase::Figures)
        showFigures(StatusText::terminalProgress(folders, files), false);
}

void TerminalProgress::updateTable(qsizetype filesRead, qsizetype files)
{
    const std::lock_guard lock(m_mutex);
    if (m_phase == Phase::Stopping)
        return;
    const QString text = QStringLiteral("Tabelle: %1 von %2 %3 …")
                             .arg(QString::number(filesRead), QString::number(files),
                                  files == 1 ? QStringLiteral("Datei") : QStringLiteral("Dateien"));
    // The first figures after the list file's write replace its line at once.
    showFigures(text, std::exchange(m_phase, Phase::Figures) == Phase::Writing);
}

void TerminalProgress::showFigures(const QString& text, bool atOnce)
{
    if (!atOnce && m_shownLength >= 0 && !m_sinceLastLine.hasExpired(kIntervalMs))
        return;
    m_sinceLastLine.start();
    show(text);
}

void TerminalProgress::showStopping()
{
    const std::lock_guard lock(m_mutex);
    if (m_phase == Phase::Writing)
        return;
    m_phase = Phase::Stopping;
    show(StatusText::stopping());
}

void TerminalProgress::showWriting(const QString& text)
{
    const std::lock_guard lock(m_mutex);
    m_phase = Phase::Writing;
    show(text);
}

void TerminalProgress::finish()
{
    const std::lock_guard lock(m_mutex);
    m_phase = Phase::Figures;
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
