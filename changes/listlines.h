#pragma once

#include "files/keptcontent.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

#include <sys/types.h>

// The entry lines of a list file, one after the other, read into one buffer that holds a
// hundred-odd kilobytes at a time (mapped pages would count in the program's peak memory).
// A line ends at "\n", a '\r' before it left out.
class ListLines {
public:
    enum class Failure {
        None,
        Unreadable, // the host reported an error, or the file ended early
        NotText,    // a NUL byte, or a line longer than any path a list holds
    };

    // The first length bytes of content, whose file stays the caller's.
    ListLines(const OldContent& content, off_t length);

    // The next line, valid until the next call; nothing at the end or after a failure.
    std::optional<QByteArrayView> next();
    // Passes over the whole lines at the front that are, byte for byte with their line
    // ends, the first bytes of wanted (which holds no NUL byte): how many bytes it passed,
    // 0 where the first line differs. Whatever follows is read as before.
    qsizetype passEqual(QByteArrayView wanted);
    Failure failure() const { return m_failure; }
    // How many bytes of the file are read so far; the file's own, as given.
    off_t bytesRead() const { return m_readUpTo; }

    static constexpr qsizetype kLongestLine = qsizetype(4) << 20;

private:
    bool fill();

    OldContent m_content;
    off_t m_length;
    off_t m_readUpTo = 0;
    QByteArray m_buffer;
    qsizetype m_begin = 0; // the next line's first byte in the buffer
    qsizetype m_end = 0;   // the end of what the buffer holds
    Failure m_failure = Failure::None;
};
