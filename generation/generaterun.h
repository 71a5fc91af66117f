#pragma once

#include "changes/listchanges.h"
#include "generation/entrycomparison.h"
#include "generation/folderwalk.h"
#include "listing/drivelist.h"
#include "listing/filelist.h"
#include "listing/folderlist.h"
#include "listing/listbox.h"

#include <QDate>
#include <QString>

#include <functional>
#include <optional>
#include <stop_token>

class QThread;

// One press of the generate button: the hidden controls it works through (the working
// folder list Dir1 and the drive list that follows it, the file list File1, the folder
// queue List1 and the result list List2), wired as the main window wires them, and the
// run itself: the walk, the count and the list-file write, or, for a check, the comparison
// of what the walk found with a list file, which writes nothing.
//
// Every run works on a set of its own, so a run on another thread shares nothing with the
// window; the window keeps the set of its last completed run.
class GenerateRun {
public:
    // Folders entered and matching files seen so far, called on the run's thread as the
    // walk enters a folder.
    using Progress = std::function<void(qsizetype folders, qsizetype files)>;

    // What the run tells and asks the code that started it, all on the run's thread.
    struct Hooks {
        Progress progress;
        // Looked at before every queued folder, before the sort and before the write; a
        // wait for a folder read ahead ends when it is asked for, and no further folder is
        // read. Once asked for, the run ends without touching the list file.
        std::stop_token stop;
        // The list file is about to be written: no stop is asked for from now on, the
        // write ends.
        std::function<void()> writing;
        // It is written over the old file, whose old bytes are kept in memory only: a kill
        // now would lose the old list.
        std::function<void()> oldListOnlyInMemory;
        // A check: each change as it is found.
        EntryComparison::EachChange eachChange;
    };

    // What the window's controls hold at the click; nothing is read from them later.
    struct Input {
        QString sourceFolder;
        QString pattern;
        bool includeSubfolders = true;
        QString targetFolder;
        QString listFileName;
        // A check of the list file at this host path instead of a write; the target and
        // the name go unused then.
        std::optional<QByteArray> listToCheck = {};
        // The folder the checked list was made of, drive letter aside ("\Projekte\X");
        // empty: the source folder's own path.
        QString listRoot = {};
    };

    struct Outcome {
        // Ended on request before the list file was touched; nothing below counts then.
        bool stopped = false;
        // Ended before the list file for want of this; only the status text counts then,
        // and the run's lists are emptied.
        Shortage shortage = Shortage::None;
        // The list file is there.
        bool written = false;
        // The text of the window's status line, and the folders and names in it, which a
        // narrow status line may shorten.
        QString statusText;
        QStringList statusPaths;
        qsizetype count = 0;
        // Which entries the list lacks, and, when it was written, which it had to change.
        LeftOutEntries leftOut;
        // What changed against the list file replaced, or the list checked; nothing where
        // there was no comparison (for a check: the trouble the status text names).
        std::optional<ListChanges> changes;
        // A check: the entries of the list checked.
        qsizetype listEntries = 0;
    };

    explicit GenerateRun(Hooks hooks = {});
    GenerateRun(const GenerateRun&) = delete;
    GenerateRun& operator=(const GenerateRun&) = delete;

    // Never throws: a run that runs out of memory ends short of it.
    Outcome run(const Input& input, const QDate& today = QDate::currentDate());

    FolderList& Dir1() { return m_Dir1; }
    FileList& File1() { return m_File1; }
    ListBox& List1() { return m_List1; }
    ListBox& List2() { return m_List2; }
    WalkControls walkControls() { return {m_Dir1, m_File1, m_List1, m_List2}; }

    // From now on Dir1's change handler moves this drive list instead of the run's own:
    // in the main window the source drive list follows the working folder.
    void useDrive1(DriveList& drive);
    // The run's controls go with its result to the thread that takes it over.
    void moveToThread(QThread* thread);

private:
    void Dir1_Change();
    bool stopRequested() const { return m_hooks.stop.stop_requested(); }
    Outcome Dateiausgeben(const Input& input, const RunNotes& notes, const QDate& today);
    Outcome runOrThrow(const Input& input, const QDate& today);
    Outcome endShort(Shortage shortage);
    std::optional<WalkResult> walkSource(const Input& input, Outcome& outcome);
    Outcome check(const Input& input);
    bool compareEntries(EntryComparison& comparison);

    Hooks m_hooks;
    qsizetype m_foldersEntered = 0;
    qsizetype m_filesSeen = 0;
    DriveList m_ownDrive1;
    DriveList* m_Drive1 = &m_ownDrive1;
    FolderList m_Dir1;
    FileList m_File1;
    ListBox m_List1{ListBox::Order::AsAdded};
    ListBox m_List2{ListBox::Order::Sorted};
};
