#pragma once


#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <mutex>

// The folders and files a run has seen so far, on one terminal line that is rewritten at
// most ten times a second: a million files must not mean a million writes. Once the run is
// being stopped or writes its list file, the line says that instead, from any thread: a
// signal is answered while the run itself may be stuck in a read.
class TerminalProgress {
public:
    using Sink = std::function<void(const QByteArray&)>;
    // How a line is rewritten: with the escape that clears to the end of the line, or, where
    // the terminal knows no escapes (TERM=dumb or unset), by a carriage return and blanks.
    enum class Rewrite { ClearEscape, CarriageReturnOnly };

    TerminalProgress(Sink sink, Rewrite rewrite);

    void update(qsizetype folders, qsizetype files);
    // The table's files looked at so far, once the list file is written.
    void updateTable(qsizetype filesRead, qsizetype files);
    // Replace the figures for the rest of the run; once a file is being written, the run
    // no longer stops, and the line keeps saying so until the next step's figures.
    void showStopping();
    void showWriting(const QString& text);
    // Clears the line, so the status text that follows starts on a clean one.
    void finish();

private:
    enum class Phase { Figures, Stopping, Writing };

    void showFigures(const QString& text, bool atOnce);
    void show(const QString& text);

    Sink m_sink;
    Rewrite m_rewrite;
    std::mutex m_mutex;
    QElapsedTimer m_sinceLastLine;
    qsizetype m_shownLength = -1;
    Phase m_phase = Phase::Figures;
};
