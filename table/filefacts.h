#pragma once

#include <QtGlobal>

#include <functional>
#include <stop_token>
#include <vector>

class ListBox;

// What a table says of one listed file: its size and when it was last changed, read after
// the walk. A file that is gone or is no file any more (or one that cannot be looked at)
// has neither.
struct FileFact {
    enum class State : quint8 { Known, Gone, Unreadable };

    qint64 size = 0;
    qint64 modified = 0; // seconds since 1970, UTC
    State state = State::Known;
};

// The facts of a result list's entries, in the list's order. One statx per file, relative
// to its folder's open handle (see FolderHandles): no long path is resolved, and the folder
// the entries of one folder share is opened once for them all. A link to a file is a file,
// as in the walk, and tells its file's facts.
namespace FileFacts {

struct Read {
    std::vector<FileFact> facts; // one per entry; fewer when stopped
    qsizetype gone = 0;
    qsizetype unreadable = 0;
    bool stopped = false;
};

// How many entries have been read so far; called now and then, not for every file.
using Progress = std::function<void(qsizetype read)>;

// Reading ends before the next file once stop is asked for.
Read read(ListBox& entries, const Progress& progress = {}, const std::stop_token& stop = {});

} // namespace FileFacts
