#pragma once

#include "changes/listchanges.h"
#include "files/filereplacement.h"
#include "generation/entrycomparison.h"

#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>

#include <functional>
#include <optional>

class ListBox;

struct ListFileOutcome {
    // The list file was written completely and is there.
    bool written = false;
    // Entries holding a character the list file's code page cannot hold.
    qsizetype replacedEntries = 0;
    // Why the file was not written.
    WriteFailure failure = WriteFailure::None;
    // The rows of the first entries with replaced characters (see LeftOutEntries::kKept).
    QList<qsizetype> replacedRows = {};
    // An earlier write to the file was killed part way, and the old list was put back first.
    bool oldListRestored = false;
    // The bytes written.
    qint64 size = 0;
    // What changed against the list file replaced, where it was a list to compare with.
    std::optional<ListChanges> changes = {};
};

// Writes the result list into the list file: the entries one per line, an empty line and
// the footer, in Windows-1252 with CR LF. However the write ends, the old list file stays
// whole or the new one is complete (see FileReplacement), so a failed run loses nothing.
// Where the file replaced is a list of ours, the two are compared as the lines are made;
// a comparison that cannot run changes nothing of the write.
class ListFileWriter {
public:
    // The file is the one WindowsPath::listFilePath names.
    // oldListOnlyInMemory is called before the first byte where the list is written over the
    // old file and no copy of the old bytes fits beside it: a kill would lose the old list.
    static ListFileOutcome write(const QString& targetFolder, const QString& fileName, ListBox& entries,
                                 const QDate& today, const QLocale& locale = QLocale::system(),
                                 const std::function<void()>& oldListOnlyInMemory = {},
                                 const EntryComparison::Where* compareWith = nullptr);
    // The empty line and the footer below the entries, in the list file's code page.
    static QByteArray footer(const QDate& today, const QLocale& locale);
};
