#include "changes/listrecognition.h"

#include <QByteArrayView>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {

// The footer's lines are short; a date in any locale's short format fits many times over.
constexpr off_t kTailLength = 4096;

// The line that ends just before end (at a '\n', a '\r' before it left out), and where it
// begins; nothing where no line break is found before it within the tail.
struct LineBefore {
    qsizetype begin = 0;
    QByteArrayView text;
};

std::optional<LineBefore> lineBefore(QByteArrayView tail, qsizetype end, bool atFileStart)
{
    if (end <= 0 || tail[end - 1] != '\n')
        return std::nullopt;
    const qsizetype previousBreak = tail.first(end - 1).lastIndexOf('\n');
    if (previousBreak < 0 && !atFileStart)
        return std::nullopt;
    const qsizetype begin = previousBreak + 1;
    QByteArrayView text = tail.sliced(begin, end - 1 - begin);
    if (text.endsWith('\r'))
        text.chop(1);
    return LineBefore{begin, text};
}

bool readWhole(const OldContent& content, char* into, size_t length, off_t offset)
{
    for (size_t done = 0; done < length;) {
        const ssize_t got = content.readAt(offset + off_t(done), into + done, length - done);
        if (got <= 0)
            return false;
        done += size_t(got);
    }
    return true;
}

} // namespace

namespace ListRecognition {

std::optional<off_t> entriesLength(const OldContent& content)
{
    const off_t tailStart = std::max<off_t>(0, content.length() - kTailLength);
    QByteArray tail(qsizetype(content.length() - tailStart), Qt::Uninitialized);
    if (tail.isEmpty() || !readWhole(content, tail.data(), size_t(tail.size()), tailStart))
        return std::nullopt;
    // From the last line up: what each begins with; the date (nullptr) may be anything.
    static constexpr const char* kFooterFromEnd[] = {"Internet: ", "Mail: ", "(c) ", nullptr, "Korvale "};
    qsizetype end = tail.size();
    for (const char* start : kFooterFromEnd) {
        const std::optional<LineBefore> line = lineBefore(tail, end, tailStart == 0);
        if (!line || (start && !line->text.startsWith(start)) || line->text.contains('\0'))
            return std::nullopt;
        end = line->begin;
    }
    const std::optional<LineBefore> empty = lineBefore(tail, end, tailStart == 0);
    if (!empty || !empty->text.isEmpty())
        return std::nullopt;
    return tailStart + empty->begin;
}

OpenedList OpenedList::open(const QByteArray& hostPath)
{
    OpenedList list;
    // Without blocking: a FIFO under the name would otherwise wait for a writer for ever.
    list.m_file = ::open(hostPath.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (list.m_file < 0) {
        list.m_failure = errno == ENOENT || errno == ENOTDIR ? Failure::Missing : Failure::Unreadable;
        return list;
    }
    struct stat status;
    if (fstat(list.m_file, &status) != 0) {
        list.m_failure = Failure::Unreadable;
    } else if (!S_ISREG(status.st_mode)) {
        list.m_failure = Failure::NotARegularFile;
    } else if (const std::optional<off_t> entries = ListRecognition::entriesLength({list.m_file, status.st_size})) {
        list.m_length = status.st_size;
        list.m_entriesLength = *entries;
    } else {
        list.m_failure = Failure::NotAList;
    }
    return list;
}

OpenedList::OpenedList(OpenedList&& other) noexcept
    : m_file(std::exchange(other.m_file, -1))
    , m_length(other.m_length)
    , m_entriesLength(other.m_entriesLength)
    , m_failure(other.m_failure)
{
}

OpenedList::~OpenedList()
{
    if (m_file >= 0)
        ::close(m_file);
}

bool isKorvaleList(const QByteArray& hostPath) { return OpenedList::open(hostPath).failure() == OpenedList::Failure::None; }

} // namespace ListRecognition
