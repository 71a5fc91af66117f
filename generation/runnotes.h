#pragma once

#include "generation/leftoutentries.h"

#include <QtGlobal>

// What a run had to leave out of the list. The list file keeps its format; the status
// line says what is missing, so nobody takes an incomplete list for a complete one.
struct RunNotes {
    qsizetype unreadableFolders = 0;
    // Names that cannot stand in one Windows-style line; a folder counts as one name.
    qsizetype leftOutNames = 0;
    // Links not followed: those that lead back to a folder on their own path (following
    // them would never end), and those below a folder reached through a link once more.
    qsizetype linksNotFollowed = 0;
    // Which they were.
    LeftOutEntries entries = {};
};

// What a run ran short of, so that it could not list everything: it ends as failed, says
// so, and writes no list file.
enum class Shortage { None, OpenFiles, Memory, Threads };
