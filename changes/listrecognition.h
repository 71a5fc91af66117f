#pragma once

#include "files/keptcontent.h"

#include <QByteArray>

#include <optional>

#include <sys/types.h>

// Whether a file is a list Korvale writes, told by its last lines alone: an empty line,
// then lines beginning "Korvale ", any date, "(c) ", "Mail: " and "Internet: ". Only the
// end of the file is read, so a file of any size is told apart at once; the date is never
// parsed, so a list from any locale counts.
namespace ListRecognition {

// How many bytes of the content its entry lines take (from the start up to the empty line
// above the footer), when it is such a list. The content is read, never mapped.
std::optional<off_t> entriesLength(const OldContent& content);

// A list file opened for reading its entries: a regular file, opened without waiting for
// anything that would block (a FIFO, a device), that is a list Korvale writes.
class OpenedList {
public:
    enum class Failure { None, Missing, NotARegularFile, Unreadable, NotAList };

    static OpenedList open(const QByteArray& hostPath);
    OpenedList(OpenedList&& other) noexcept;
    OpenedList& operator=(OpenedList&&) = delete;
    OpenedList(const OpenedList&) = delete;
    ~OpenedList();

    Failure failure() const { return m_failure; }
    // Valid while the list lives.
    OldContent content() const { return {m_file, m_length}; }
    off_t entriesLength() const { return m_entriesLength; }

private:
    OpenedList() = default;

    int m_file = -1;
    off_t m_length = 0;
    off_t m_entriesLength = 0;
    Failure m_failure = Failure::None;
};

// The test a drop target or a file chooser asks: is the file at hostPath a list Korvale
// writes? Reads its last few kilobytes; a file on a share that stopped answering can hold
// the caller, so a window asks it off its own thread.
bool isKorvaleList(const QByteArray& hostPath);

} // namespace ListRecognition
