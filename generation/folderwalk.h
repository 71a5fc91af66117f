#pragma once

#include "generation/runnotes.h"

#include <QString>

#include <functional>
#include <stop_token>

class FileList;
class FolderList;
class ListBox;

// The hidden controls a run works through: the working folder list, the file list, the
// folder queue and the result list.
struct WalkControls {
    FolderList& Dir1;
    FileList& File1;
    ListBox& List1;
    ListBox& List2;
};

struct WalkResult {
    // False when the start folder is missing or cannot be read: nothing was collected,
    // and no list file may be written (see sourceUnreadableText).
    bool sourceRead = false;
    RunNotes notes;
    // The walk ended before its end for want of this: nothing it collected counts.
    Shortage shortage = Shortage::None;
};

// One collection: the matching files of the source folder and, while the switch says so,
// of every folder below it, breadth-first, into the sorted result list.
class FolderWalk {
public:
    // includeSubfolders is asked anew at every step of the queue loop. Once a stop is
    // asked for, no further folder is entered or read.
    static WalkResult run(WalkControls controls, const QString& sourceFolder, const QString& pattern,
                          const std::function<bool()>& includeSubfolders, std::stop_token stop = {});

    // " 42 Files": the count with one leading blank, as the count label shows it.
    static QString countText(qsizetype count);
    static QString sourceUnreadableText(const QString& sourceFolder);
};
