#pragma once

#include <QByteArray>
#include <QElapsedTimer>

#include <functional>

// The folders and files a run has seen so far, on one terminal line that is rewritten at
// most ten times a second: a million files must not mean a million writes.
class TerminalProgress {
public:
    using Sink = std::function<void(const QByteArray&)>;

    explicit TerminalProgress(Sink sink);

    void update(qsizetype folders, qsizetype files);
    // Clears the line, so the status text that follows starts on a clean one.
    void finish();

private:
    Sink m_sink;
    QElapsedTimer m_sinceLastLine;
    bool m_shown = false;
};
