#include "commandline/generaterun.h"

#include "generation/folderwalk.h"
#include "generation/listfilewriter.h"
#include "generation/statustext.h"

GenerateRun::GenerateRun(Progress progress)
    : m_progress(std::move(progress))
{
    QObject::connect(&m_Dir1, &FolderList::Change, &m_Dir1, [this] { Dir1_Change(); });
}

// The window's handler also moves its source drive list; without a window only the file
// list has to follow.
void GenerateRun::Dir1_Change()
{
    m_File1.setFileName(m_Dir1.Path());
    if (m_progress) {
        ++m_foldersEntered;
        m_filesSeen += m_File1.ListCount();
        m_progress(m_foldersEntered, m_filesSeen);
    }
}

GenerateRun::Outcome GenerateRun::run(const Input& input, const QDate& today)
{
    m_foldersEntered = 0;
    m_filesSeen = 0;
    const bool includeSubfolders = input.includeSubfolders;
    const WalkResult walk = FolderWalk::run({m_Dir1, m_File1, m_List1, m_List2}, input.sourceFolder, input.pattern,
                                            [includeSubfolders] { return includeSubfolders; });
    Outcome outcome;
    outcome.count = m_List2.ListCount();
    if (!walk.sourceRead) {
        outcome.statusText = FolderWalk::sourceUnreadableText(input.sourceFolder);
        return outcome;
    }
    const ListFileOutcome file = ListFileWriter::write(input.targetFolder, input.listFileName, m_List2, today);
    outcome.written = file.written;
    outcome.statusText = StatusText::after(file, input.listFileName, input.targetFolder, walk.notes);
    return outcome;
}
