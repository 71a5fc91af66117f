#pragma once

#include "files/filereplacement.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <stop_token>

class ListBox;

// One table of a completed run's result list, beside its list file: the files' sizes and
// times read in the list's order (see FileFacts), then the table written (see TableWriter).
// Reading may be stopped; the write, once begun, ends.
class TableRun {
public:
    // Files read so far and files in the list, called on the thread the table is made on.
    using Progress = std::function<void(qsizetype filesRead, qsizetype files)>;

    struct Hooks {
        Progress progress;
        // Looked at before every file; once asked for, the table ends unwritten.
        std::stop_token stop;
        // The table is about to be written: no stop is asked for from now on.
        std::function<void()> writing;
    };

    // Where the table goes (a folder and a name, as the list file's are given), and the
    // list file it stands beside.
    struct Input {
        QString folder;
        QString name;
        QString listFolder;
        QString listName;
    };

    struct Outcome {
        // Ended on request before the table was touched.
        bool stopped = false;
        // Not made: the table would have been the list file.
        bool refused = false;
        bool written = false;
        WriteFailure failure = WriteFailure::None;
        // Files the walk listed that are not there, or no files, any more; and files that
        // could not be looked at. Their rows have no size and time.
        qsizetype gone = 0;
        qsizetype unreadable = 0;
        // The status line, and the names and folders in it a narrow line may shorten.
        QString statusText;
        QStringList statusPaths;
    };

    explicit TableRun(Hooks hooks = {});

    Outcome run(ListBox& entries, const Input& input);

    // Whether the table would take the list file's place: the same name in the same
    // folder, however the folder is reached, or another name of the same file.
    static bool isListFile(const Input& input);

private:
    Hooks m_hooks;
};
