#include "changes/listlines.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr qsizetype kBufferSize = qsizetype(128) << 10;

// How many bytes at the front of a and b agree: memcmp over blocks finds the block where
// they part, which a comparison byte by byte would take long to reach; large blocks first,
// as most of a list agrees with the one before it.
qsizetype agreeingBytes(const char* a, const char* b, qsizetype length)
{
    qsizetype at = 0;
    for (const qsizetype block : {qsizetype(1024), qsizetype(64)}) {
        while (at + block <= length && std::memcmp(a + at, b + at, size_t(block)) == 0)
            at += block;
    }
    while (at < length && a[at] == b[at])
        ++at;
    return at;
}

} // namespace

ListLines::ListLines(const OldContent& content, off_t length)
    : m_content(content)
    , m_length(length)
    , m_buffer(kBufferSize, Qt::Uninitialized)
{
}

std::optional<QByteArrayView> ListLines::next()
{
    for (;;) {
        if (m_failure != Failure::None)
            return std::nullopt;
        const char* begin = m_buffer.constData() + m_begin;
        if (const void* lineEnd = std::memchr(begin, '\n', size_t(m_end - m_begin))) {
            const qsizetype length = static_cast<const char*>(lineEnd) - begin;
            // A list is text: a NUL byte marks a file that only ends like one. Looked for
            // only in lines read one by one: those passed whole agree with the new list,
            // which holds none.
            if (std::memchr(begin, '\0', size_t(length))) {
                m_failure = Failure::NotText;
                return std::nullopt;
            }
            m_begin += length + 1;
            QByteArrayView line(begin, length);
            if (line.endsWith('\r'))
                line.chop(1);
            return line;
        }
        if (m_readUpTo == m_length) {
            // Entry lines end where the footer begins, after a line break: anything left
            // over means the file changed while it was read.
            if (m_begin != m_end)
                m_failure = Failure::Unreadable;
            return std::nullopt;
        }
        if (!fill())
            return std::nullopt;
    }
}

qsizetype ListLines::passEqual(QByteArrayView wanted)
{
    qsizetype passed = 0;
    while (m_failure == Failure::None && passed < wanted.size()) {
        const char* old = m_buffer.constData() + m_begin;
        const char* want = wanted.data() + passed;
        const qsizetype length = std::min(m_end - m_begin, wanted.size() - passed);
        const bool wantedEnds = length == wanted.size() - passed;
        const qsizetype same = agreeingBytes(old, want, length);
        // Only whole lines: up to the last line end among the bytes that agree.
        if (const void* lastEnd = memrchr(old, '\n', size_t(same))) {
            const qsizetype whole = static_cast<const char*>(lastEnd) - old + 1;
            m_begin += whole;
            passed += whole;
        }
        if (same < length || wantedEnds || m_readUpTo == m_length || !fill())
            break;
    }
    return passed;
}

// Moves the unfinished line to the front and reads on behind it; the buffer grows only
// for a line longer than itself, up to the longest line a list may hold.
bool ListLines::fill()
{
    const qsizetype pending = m_end - m_begin;
    if (pending >= kLongestLine) {
        m_failure = Failure::NotText;
        return false;
    }
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.constData() + m_begin, size_t(pending));
        m_begin = 0;
        m_end = pending;
    }
    if (m_end == m_buffer.size())
        m_buffer.resize(std::min(m_buffer.size() * 2, kLongestLine + 1));
    const size_t room = size_t(std::min<off_t>(m_buffer.size() - m_end, m_length - m_readUpTo));
    const ssize_t got = m_content.readAt(m_readUpTo, m_buffer.data() + m_end, room);
    if (got <= 0) {
        m_failure = Failure::Unreadable;
        return false;
    }
    m_end += got;
    m_readUpTo += got;
    return true;
}
