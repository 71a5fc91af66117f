#include "changes/listcomparison.h"

#include "changes/listlines.h"
#include "text/germancollation.h"
#include "text/namecodec.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// How often, in old lines, a stop is asked for: a list of millions of entries takes a
// moment, but one never holds a stop for long.
constexpr qsizetype kLinesBetweenStops = 1 << 16;

QByteArrayView withoutDrive(QByteArrayView line)
{
    const bool letter = line.size() >= 2 && ((line[0] >= 'A' && line[0] <= 'Z') || (line[0] >= 'a' && line[0] <= 'z'));
    return letter && line[1] == ':' ? line.sliced(2) : line;
}

// A path below root starts with '\' after it; the root is matched as the old platform
// matches names, letter case aside.
std::optional<QByteArrayView> belowRoot(QByteArrayView path, QByteArrayView root)
{
    if (root.isEmpty())
        return path;
    if (path.size() <= root.size() || path[root.size()] != '\\')
        return std::nullopt;
    if (!path.startsWith(root) && qstrnicmp(path.data(), root.size(), root.data(), root.size()) != 0)
        return std::nullopt;
    return path.sliced(root.size());
}

// Where a character became '?', or an accent was composed into its letter, the written
// line sorts elsewhere than the name did. A line of ASCII without '?' is its name.
bool mayHaveMoved(QByteArrayView path) { return path.contains('?') || !NameCodec::isAscii(path); }

// The key every name the line may stand for begins with: that of its text up to the first
// character that may not be what the name holds.
std::string standingKey(QByteArrayView path)
{
    qsizetype length = 0;
    while (length < path.size() && path[length] != '?' && uchar(path[length]) < 0x80)
        ++length;
    std::string key;
    GermanCollation::appendSortKey(QString::fromLatin1(path.first(length)), key);
    return key;
}

// Whether a side whose greatest key is passed has left every key that begins with start.
bool hasPassed(const std::string& passed, const std::string& start)
{
    return passed > start && passed.compare(0, start.size(), start) != 0;
}

} // namespace

ListComparison::ListComparison(ListLines& old, Setup setup, Report report, std::function<bool()> stopRequested)
    : m_old(old)
    , m_setup(std::move(setup))
    , m_report(std::move(report))
    , m_stopRequested(std::move(stopRequested))
{
}

void ListComparison::addNew(QByteArrayView line, qsizetype row)
{
    if (m_failure != Failure::None)
        return;
    const QByteArrayView path = withoutDrive(line);
    m_new.path = belowRoot(path, m_setup.newRoot).value_or(path);
    if (!m_setup.ownEntry.isEmpty() && m_new.path == m_setup.ownEntry)
        return;
    m_new.row = row;
    m_new.keyMade = false;
    while (haveOldHead()) {
        if (m_oldHead.path == m_new.path) {
            consumeOld();
            return;
        }
        if (!inOrder(Old, m_oldHead)) {
            outOfOrder(Old, m_oldHead);
            consumeOld();
            continue;
        }
        if (!inOrder(New, m_new))
            return outOfOrder(New, m_new);
        const int order = m_oldHead.key.compare(m_new.key);
        if (order > 0)
            return unmatched(New, m_new, false);
        // Below the new line nothing of the new list is left for the old one; with an equal
        // key (a name and its case twin), the new line or one after it may still be its.
        unmatched(Old, m_oldHead, order == 0);
        consumeOld();
    }
    if (m_failure != Failure::None)
        return;
    if (!inOrder(New, m_new))
        return outOfOrder(New, m_new);
    unmatched(New, m_new, false);
}

qsizetype ListComparison::addEqualRun(QByteArrayView lines, const LinesIn& linesIn)
{
    if (m_failure != Failure::None || m_oldHeadRead || !m_setup.newRoot.isEmpty() || !m_setup.oldRoot.isEmpty())
        return 0;
    const qsizetype passed = m_old.passEqual(lines);
    const QByteArrayView run = lines.first(passed);
    qsizetype count = 0;
    if (linesIn) {
        count = linesIn(passed);
    } else {
        for (const char* at = run.data(); (at = static_cast<const char*>(std::memchr(at, '\n', size_t(run.end() - at))));
             ++at)
            ++count;
    }
    m_oldEntries += count - ownEntriesIn(run);
    const qsizetype linesBefore = m_oldLinesRead;
    m_oldLinesRead += count;
    if (linesBefore / kLinesBetweenStops != m_oldLinesRead / kLinesBetweenStops && m_stopRequested && m_stopRequested())
        fail(Failure::Stopped);
    return passed;
}

// The lines of the list's own entry among lines: "X:" and that path, a whole line.
qsizetype ListComparison::ownEntriesIn(QByteArrayView lines) const
{
    const QByteArrayView own = m_setup.ownEntry;
    if (own.isEmpty())
        return 0;
    qsizetype found = 0;
    for (qsizetype at = lines.indexOf(own); at >= 0; at = lines.indexOf(own, at + 1)) {
        const bool startsLine = at >= 2 && lines[at - 1] == ':' && (at == 2 || lines[at - 3] == '\n');
        if (startsLine && lines.sliced(at + own.size()).startsWith("\r\n"))
            ++found;
    }
    return found;
}

bool ListComparison::finish()
{
    m_newEnded = true;
    while (haveOldHead()) {
        if (inOrder(Old, m_oldHead))
            unmatched(Old, m_oldHead, false);
        else
            outOfOrder(Old, m_oldHead);
        consumeOld();
    }
    if (m_failure != Failure::None)
        return false;
    reportWaiting();
    return true;
}

// Reads the next old line below the root, if there is none in hand; lines outside the root
// are reported as they come, the list's own entry is passed over.
bool ListComparison::haveOldHead()
{
    if (m_failure != Failure::None)
        return false;
    if (m_oldHeadRead)
        return true;
    while (!m_oldAtEnd) {
        if (++m_oldLinesRead % kLinesBetweenStops == 0 && m_stopRequested && m_stopRequested()) {
            fail(Failure::Stopped);
            return false;
        }
        const std::optional<QByteArrayView> line = m_old.next();
        if (!line) {
            m_oldAtEnd = true;
            if (m_old.failure() == ListLines::Failure::Unreadable)
                fail(Failure::Unreadable);
            else if (m_old.failure() == ListLines::Failure::NotText)
                fail(Failure::NotText);
            return false;
        }
        const std::optional<QByteArrayView> path = belowRoot(withoutDrive(*line), m_setup.oldRoot);
        if (path && !m_setup.ownEntry.isEmpty() && *path == m_setup.ownEntry)
            continue;
        ++m_oldEntries;
        if (!path) {
            report(Old, *line, -1, true);
            continue;
        }
        m_oldHead.path = *path;
        m_oldHead.keyMade = false;
        m_oldHeadRead = true;
        return true;
    }
    return false;
}

void ListComparison::consumeOld() { m_oldHeadRead = false; }

// The key the list's sort gives the line as it was written.
const std::string& ListComparison::keyOf(Line& line)
{
    if (!line.keyMade) {
        line.key.clear();
        GermanCollation::appendSortKeyOfWritten(line.path, line.key);
        line.keyMade = true;
    }
    return line.key;
}

// A line's key is the greatest of its side so far, or it stands out of order.
bool ListComparison::inOrder(Side side, Line& line)
{
    const int order = keyOf(line).compare(m_greatest[side]);
    if (order < 0)
        return false;
    if (order > 0) {
        m_greatest[side] = line.key;
        releaseWaiting(side == Old ? New : Old);
    }
    return true;
}

// A line that met no equal one in order: a line the other side kept waiting may be its
// partner; a line whose partner may still come waits itself.
void ListComparison::unmatched(Side side, const Line& line, bool mayFindPartner)
{
    if (takeWaiting(side == Old ? New : Old, line.path))
        return;
    if (mayFindPartner || (mayHaveMoved(line.path) && partnerMayCome(side, line.path)))
        addWaiting(side, line);
    else
        report(side, line.path, line.row);
}

void ListComparison::outOfOrder(Side side, const Line& line)
{
    if (!mayHaveMoved(line.path))
        return fail(Failure::NotInOrder);
    if (takeWaiting(side == Old ? New : Old, line.path))
        return;
    if (partnerMayCome(side, line.path))
        addWaiting(side, line);
    else
        report(side, line.path, line.row);
}

// Whether the other side may still bring a line of these bytes: the names it stands for
// all sort where that side has not yet passed (a line sorts no later than its name).
bool ListComparison::partnerMayCome(Side side, QByteArrayView path) const
{
    const Side other = side == Old ? New : Old;
    if (other == Old ? m_oldAtEnd && !m_oldHeadRead : m_newEnded)
        return false;
    return !hasPassed(m_greatest[other], standingKey(path));
}

bool ListComparison::takeWaiting(Side side, QByteArrayView path, qsizetype* row)
{
    const auto found = m_waiting.find(QByteArray::fromRawData(path.data(), path.size()));
    if (found == m_waiting.end())
        return false;
    Waiting& waiting = found.value();
    if (side == Old ? waiting.oldLines == 0 : waiting.newRows.isEmpty())
        return false;
    if (side == Old) {
        --waiting.oldLines;
    } else {
        if (row)
            *row = waiting.newRows.last();
        waiting.newRows.removeLast();
    }
    if (waiting.oldLines == 0 && waiting.newRows.isEmpty())
        m_waiting.erase(found);
    return true;
}

void ListComparison::addWaiting(Side side, const Line& line)
{
    if (m_heldLines >= kSideSetLines || m_heldBytes + line.path.size() > kSideSetBytes)
        return fail(Failure::TooManyMoved);
    auto found = m_waiting.find(QByteArray::fromRawData(line.path.data(), line.path.size()));
    if (found == m_waiting.end())
        found = m_waiting.insert(line.path.toByteArray(), Waiting());
    if (side == Old)
        ++found->oldLines;
    else
        found->newRows.append(line.row);
    m_release[side][standingKey(line.path)].append(found.key());
    ++m_heldLines;
    m_heldBytes += line.path.size();
}

// The lines of side whose names the other side has passed, in its order: no partner can
// come for them any more.
void ListComparison::releaseWaiting(Side side)
{
    const std::string& passed = m_greatest[side == Old ? New : Old];
    auto& bySide = m_release[side];
    for (auto group = bySide.begin(); group != bySide.end() && group->first < passed;) {
        if (!hasPassed(passed, group->first)) {
            ++group;
            continue;
        }
        for (const QByteArray& path : group->second) {
            qsizetype row = -1;
            if (takeWaiting(side, path, &row))
                report(side, path, row);
            m_heldBytes -= path.size();
        }
        m_heldLines -= group->second.size();
        group = bySide.erase(group);
    }
}

// What found no partner to the end, in the order of its keys, as the lists would show it.
void ListComparison::reportWaiting()
{
    struct Left {
        std::string key;
        Side side;
        const QByteArray* path;
        qsizetype row;
    };
    std::vector<Left> left;
    for (auto it = m_waiting.cbegin(); it != m_waiting.cend(); ++it) {
        std::string key;
        GermanCollation::appendSortKeyOfWritten(it.key(), key);
        for (qsizetype i = 0; i < it->oldLines; ++i)
            left.push_back({key, Old, &it.key(), -1});
        for (const qsizetype row : it->newRows)
            left.push_back({key, New, &it.key(), row});
    }
    std::sort(left.begin(), left.end(), [](const Left& a, const Left& b) {
        if (const int order = a.key.compare(b.key))
            return order < 0;
        if (*a.path != *b.path)
            return *a.path < *b.path;
        return a.row < b.row;
    });
    for (const Left& line : left)
        report(line.side, *line.path, line.row);
    m_waiting.clear();
    m_release[Old].clear();
    m_release[New].clear();
    m_heldLines = 0;
    m_heldBytes = 0;
}

void ListComparison::report(Side side, QByteArrayView path, qsizetype row, bool outsideRoot)
{
    m_report({side == Old ? ListChanges::Kind::Missing : ListChanges::Kind::New, path, outsideRoot, row});
}

void ListComparison::fail(Failure failure)
{
    if (m_failure == Failure::None)
        m_failure = failure;
}
