#include "generation/generaterun.h"

#include "drives/hostlocation.h"
#include "drives/windowspath.h"
#include "generation/listfilewriter.h"
#include "generation/statustext.h"

#include <QThread>

#include <new>

namespace {

GenerateRun::Outcome stoppedOutcome()
{
    GenerateRun::Outcome outcome;
    outcome.stopped = true;
    return outcome;
}

GenerateRun::Outcome shortOutcome(Shortage shortage)
{
    GenerateRun::Outcome outcome;
    outcome.shortage = shortage;
    outcome.statusText = StatusText::shortOf(shortage);
    return outcome;
}

} // namespace

GenerateRun::GenerateRun(Hooks hooks)
    : m_hooks(std::move(hooks))
{
    // Direct, whichever thread the run works on: the handler runs inside the move of Dir1.
    QObject::connect(&m_Dir1, &FolderList::Change, &m_Dir1, [this] { Dir1_Change(); }, Qt::DirectConnection);
}

void GenerateRun::useDrive1(DriveList& drive) { m_Drive1 = &drive; }

void GenerateRun::moveToThread(QThread* thread)
{
    for (QObject* control : {static_cast<QObject*>(&m_ownDrive1), static_cast<QObject*>(&m_Dir1),
                             static_cast<QObject*>(&m_File1), static_cast<QObject*>(&m_List1),
                             static_cast<QObject*>(&m_List2)})
        control->moveToThread(thread);
}

void GenerateRun::Dir1_Change()
{
    m_Drive1->setDrive(WindowsPath::drivePrefix(m_Dir1.Path()));
    m_File1.setFileName(m_Dir1.Path());
    if (m_hooks.progress) {
        ++m_foldersEntered;
        m_filesSeen += m_File1.ListCount();
        m_hooks.progress(m_foldersEntered, m_filesSeen);
    }
}

GenerateRun::Outcome GenerateRun::run(const Input& input, const QDate& today)
{
    try {
        return runOrThrow(input, today);
    } catch (const std::bad_alloc&) {
        return endShort(Shortage::Memory);
    }
}

GenerateRun::Outcome GenerateRun::runOrThrow(const Input& input, const QDate& today)
{
    m_foldersEntered = 0;
    m_filesSeen = 0;
    const bool includeSubfolders = input.includeSubfolders;
    // What the walk collected before a stop is thrown away below.
    const WalkResult walk = FolderWalk::run(walkControls(), input.sourceFolder, input.pattern,
                                            [includeSubfolders] { return includeSubfolders; }, m_hooks.stop);
    if (stopRequested())
        return stoppedOutcome();
    if (walk.shortage != Shortage::None)
        return endShort(walk.shortage);
    Outcome outcome;
    outcome.count = m_List2.ListCount(); // the first read sorts
    if (!walk.sourceRead) {
        outcome.statusText = FolderWalk::sourceUnreadableText(input.sourceFolder);
        outcome.statusPaths = {input.sourceFolder};
        return outcome;
    }
    if (stopRequested())
        return stoppedOutcome();
    if (m_hooks.writing)
        m_hooks.writing();
    return Dateiausgeben(input, walk.notes, today);
}

// What was collected is not what the source holds: it is let go at once.
GenerateRun::Outcome GenerateRun::endShort(Shortage shortage)
{
    m_List1.Clear();
    m_List2.Clear();
    return shortOutcome(shortage);
}

GenerateRun::Outcome GenerateRun::Dateiausgeben(const Input& input, const RunNotes& notes, const QDate& today)
{
    const ListFileOutcome file = ListFileWriter::write(input.targetFolder, input.listFileName, m_List2, today,
                                                       QLocale::system(), m_hooks.oldListOnlyInMemory);
    Outcome outcome;
    outcome.count = m_List2.ListCount();
    outcome.written = file.written;
    outcome.statusText = StatusText::after(file, input.listFileName, input.targetFolder, notes);
    outcome.statusPaths = {input.listFileName, input.targetFolder};
    outcome.leftOut = notes.entries;
    if (file.written) {
        for (const qsizetype row : file.replacedRows) {
            const QString entry = m_List2.List(row);
            outcome.leftOut.add(LeftOutEntries::Kind::CharactersReplaced,
                                HostLocation::pathOf(entry).value_or(entry.toUtf8()));
        }
        outcome.leftOut.countNotKept(file.replacedEntries - file.replacedRows.size());
    }
    return outcome;
}
