#pragma once

#include "generation/listfilewriter.h"
#include "generation/runnotes.h"

#include <QString>

// The status line after a run: whether the list file is there, and, when it is, what the
// list lacks or had to change, so an incomplete list is never taken for a complete one.
class StatusText {
public:
    static QString after(const ListFileOutcome& outcome, const QString& fileName, const QString& targetFolder,
                         const RunNotes& notes);
};
