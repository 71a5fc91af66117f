#pragma once

#include "changes/listchanges.h"
#include "changes/listcomparison.h"
#include "changes/listlines.h"

#include <QString>

#include <functional>


class ListBox;

// A result list compared with the entries of an old list, line by line as the new list's
// lines are made: which entries are new and which the old list has that are no longer
// found, each named as the result list shows a path and by its host path.
class EntryComparison {
public:
    struct Where {
        // What the new list's paths begin with, up to the folder that was listed, without a
        // closing '\': "D:" where whole paths are compared, "D:\X" for a list of D:\X.
        QString newRoot;
        // The folder the old list was made of, its drive letter aside ("\Projekte\X"),
        // where its paths are compared below it; empty where whole paths are.
        QString oldRoot;
        // The list file's own path as a walk of the new list's folder names it; empty
        // where it lies elsewhere.
        QString ownEntry;
    };
    // Each change as it is found, named (the command line prints them as they come).
    using EachChange = std::function<void(ListChanges::Kind, const ListChanges::Entry&)>;

    // The old list's entries are the first entriesLength bytes of old, whose file stays the
    // caller's. entries is the new list, whose rows the lines given to add() come from.
    EntryComparison(ListBox& entries, const Where& where, const OldContent& old, off_t entriesLength,
                    std::function<bool()> stopRequested = {}, EachChange each = {});

    void add(QByteArrayView line, qsizetype row) { m_comparison.addNew(line, row); }
    // Lines as written with their line ends: how many bytes of them the old list holds as
    // they are (see ListComparison::addEqualRun).
    qsizetype addEqualRun(QByteArrayView lines, const ListComparison::LinesIn& linesIn = {})
    {
        return m_comparison.addEqualRun(lines, linesIn);
    }
    // After the last line; false when the comparison could not run to its end.
    bool finish() { return m_comparison.finish(); }
    ListComparison::Failure failure() const { return m_comparison.failure(); }
    qsizetype oldEntries() const { return m_comparison.oldEntries(); }
    // The old list as read so far.
    off_t oldBytesRead() const { return m_oldLines.bytesRead(); }
    // New entries are named by their rows in the result list, while it stays (see
    // ListChanges::nameRows).
    const ListChanges& changes() const { return m_changes; }

    // How a run compares its list with the list file it replaces: whole paths, drive
    // letter aside (a list made on another drive is the same list), the list file's own
    // entry left out.
    static Where forRun(const QString& sourceFolder, const QString& listFile);
    // The path a walk of sourceFolder gives the file at hostPath; empty where the file
    // does not lie below that folder or its path cannot stand as one line.
    static QString entryOf(const QString& sourceFolder, const QByteArray& hostPath);

private:
    void take(const ListComparison::Difference& difference);
    ListChanges::Entry named(const ListComparison::Difference& difference) const;
    static ListChanges::Entry namedNew(ListBox& entries, qsizetype row);

    ListBox& m_entries;
    QString m_newRoot;
    EachChange m_each;
    ListChanges m_changes;
    ListLines m_oldLines;
    ListComparison m_comparison;
};
