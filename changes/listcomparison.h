#pragma once

#include "changes/listchanges.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>

#include <functional>
#include <map>
#include <string>

class ListLines;

// Compares the entry lines of an old list with those of a new one, both as written
// (Windows-1252 bytes), in one pass over both: equal lines are passed by their bytes
// alone, and only where the lines differ are their sort keys made, as the list's sort
// makes them from the written line. A path is compared without its drive letter, below
// the folder each list was made of.
//
// Both lists are sorted by the names on disk, not by what was written: a name whose
// character became '?' or was composed may stand out of order, though never later than its
// name (a '?' and a composed letter sort before what they stand for). So a line below the
// greatest key read on its side, and any line of that kind that finds no partner, waits
// in a side set to be matched there, until the other side has passed every name its line
// could stand for: the names that begin as its text does up to its first '?' or non-ASCII
// character. Lines of ASCII without '?' are written as they are named and always stand in
// order; where one does not, the list was not sorted as Korvale sorts, and there is no
// comparison rather than a wrong one.
class ListComparison {
public:
    struct Setup {
        // What stands before every entry's path below the folder its list was made of, drive
        // letter aside ("\Projekte\X" for a list of C:\Projekte\X), in the list's code
        // page; empty where the whole path counts. An old line outside it matches nothing.
        QByteArray oldRoot;
        QByteArray newRoot;
        // The list file's own path below the root: on neither side counted.
        QByteArray ownEntry;
    };

    enum class Failure {
        None,
        Unreadable,  // the old list could not be read to its end
        NotText,     // the old list holds a NUL byte or an endless line
        NotInOrder,  // the old list is not sorted as Korvale sorts
        TooManyMoved, // more entries out of order than the side set holds
        Stopped,
    };

    struct Difference {
        ListChanges::Kind kind;
        // Below the root; for an old line outside it, the line whole.
        QByteArrayView path;
        bool outsideRoot = false;
        // The row of a new entry in its list.
        qsizetype row = -1;
    };
    using Report = std::function<void(const Difference&)>;

    // Most lines a side set holds at a time, and most bytes.
    static constexpr qsizetype kSideSetLines = 100000;
    static constexpr qsizetype kSideSetBytes = qsizetype(16) << 20;

    // Differences go to report as they are found, and once the last new line is in, in the
    // order of their keys for those that waited. stopRequested is asked now and then
    // while old lines are read.
    ListComparison(ListLines& old, Setup setup, Report report, std::function<bool()> stopRequested = {});

    // The new list's lines in their order, each with its row.
    void addNew(QByteArrayView line, qsizetype row);
    // The next new lines at once, as written with their line ends (none holding another
    // '\n'): those at the front that the old list holds, byte for byte, next in its order
    // are passed in one comparison of bytes. How many bytes were passed; the lines from
    // there on go to addNew. Only where whole paths are compared and no old line is in
    // hand: otherwise 0. linesIn, where the caller knows it, tells how many lines the first
    // so many bytes of lines hold; otherwise they are counted.
    using LinesIn = std::function<qsizetype(qsizetype bytes)>;
    qsizetype addEqualRun(QByteArrayView lines, const LinesIn& linesIn = {});
    // After the last new line. True when the comparison ran to its end; differences
    // reported before a failure mean nothing then.
    bool finish();
    Failure failure() const { return m_failure; }
    // The old list's entries read so far, its own entry not counted.
    qsizetype oldEntries() const { return m_oldEntries; }

private:
    enum Side { Old, New };
    struct Line {
        QByteArrayView path;
        qsizetype row = -1;
        std::string key;
        bool keyMade = false;
    };
    struct Waiting {
        qsizetype oldLines = 0;
        QList<qsizetype> newRows;
    };

    qsizetype ownEntriesIn(QByteArrayView lines) const;
    bool haveOldHead();
    void consumeOld();
    const std::string& keyOf(Line& line);
    bool inOrder(Side side, Line& line);
    void unmatched(Side side, const Line& line, bool mayFindPartner);
    void outOfOrder(Side side, const Line& line);
    bool partnerMayCome(Side side, QByteArrayView path) const;
    bool takeWaiting(Side side, QByteArrayView path, qsizetype* row = nullptr);
    void addWaiting(Side side, const Line& line);
    void releaseWaiting(Side side);
    void reportWaiting();
    void report(Side side, QByteArrayView path, qsizetype row, bool outsideRoot = false);
    void fail(Failure failure);

    ListLines& m_old;
    Setup m_setup;
    Report m_report;
    std::function<bool()> m_stopRequested;
    Failure m_failure = Failure::None;

    Line m_oldHead;
    bool m_oldHeadRead = false;
    bool m_oldAtEnd = false;
    bool m_newEnded = false;
    Line m_new;
    std::string m_greatest[2];
    qsizetype m_oldEntries = 0;
    qsizetype m_oldLinesRead = 0;

    // The side set: who waits, by the bytes of their lines; and, for each side, its lines
    // by the key of the text that stands for itself (some may have met a partner since).
    QHash<QByteArray, Waiting> m_waiting;
    std::map<std::string, QList<QByteArray>> m_release[2];
    qsizetype m_heldLines = 0;
    qsizetype m_heldBytes = 0;
};
