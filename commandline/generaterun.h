#pragma once

#include "listing/filelist.h"
#include "listing/folderlist.h"
#include "listing/listbox.h"

#include <QDate>
#include <QString>

#include <functional>

// One press of the generate button without a window: the run's own hidden controls,
// wired as the window wires them, the walk, the count and the list-file write.
class GenerateRun {
public:
    // Folders entered and matching files seen so far, called as the walk enters a folder.
    using Progress = std::function<void(qsizetype folders, qsizetype files)>;

    struct Input {
        QString sourceFolder;
        QString pattern;
        bool includeSubfolders = true;
        QString targetFolder;
        QString listFileName;
    };

    struct Outcome {
        // The list file is there.
        bool written = false;
        // The text the window's status line would show.
        QString statusText;
        qsizetype count = 0;
    };

    explicit GenerateRun(Progress progress = {});

    Outcome run(const Input& input, const QDate& today = QDate::currentDate());

private:
    void Dir1_Change();

    Progress m_progress;
    qsizetype m_foldersEntered = 0;
    qsizetype m_filesSeen = 0;
    FolderList m_Dir1;
    FileList m_File1;
    ListBox m_List1{ListBox::Order::AsAdded};
    ListBox m_List2{ListBox::Order::Sorted};
};
