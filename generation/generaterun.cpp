#include "generation/generaterun.h"

#include "changes/listrecognition.h"
#include "drives/hostlocation.h"
#include "drives/windowspath.h"
#include "generation/comparisonthread.h"
#include "generation/entrylines.h"
#include "generation/listfilewriter.h"
#include "generation/statustext.h"
#include "text/namecodec.h"

#include <QThread>

#include <new>
#include <string>

namespace {

// How often, in entries, a check asks whether to stop while it compares.
constexpr qsizetype kEntriesBetweenStops = 4096;

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

// A folder's path without a closing '\': what its entries' paths begin with.
QString rootOf(const QString& folder)
{
    const std::optional<WindowsPath> path = WindowsPath::parse(folder);
    const QString text = path ? path->toString() : folder;
    return text.endsWith(u'\\') ? text.chopped(1) : text;
}

StatusText::CheckTrouble troubleOf(ListRecognition::OpenedList::Failure failure)
{
    switch (failure) {
    case ListRecognition::OpenedList::Failure::Missing:
        return StatusText::CheckTrouble::ListMissing;
    case ListRecognition::OpenedList::Failure::Unreadable:
        return StatusText::CheckTrouble::ListUnreadable;
    case ListRecognition::OpenedList::Failure::NotARegularFile:
    case ListRecognition::OpenedList::Failure::NotAList:
    case ListRecognition::OpenedList::Failure::None:
        break;
    }
    return StatusText::CheckTrouble::NotAList;
}

StatusText::CheckTrouble troubleOf(ListComparison::Failure failure)
{
    switch (failure) {
    case ListComparison::Failure::Unreadable:
        return StatusText::CheckTrouble::ListUnreadable;
    case ListComparison::Failure::NotInOrder:
        return StatusText::CheckTrouble::NotInOrder;
    case ListComparison::Failure::TooManyMoved:
        return StatusText::CheckTrouble::TooManyMoved;
    case ListComparison::Failure::NotText:
    case ListComparison::Failure::Stopped:
    case ListComparison::Failure::None:
        break;
    }
    return StatusText::CheckTrouble::NotAList;
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
    if (input.listToCheck)
        return check(input);
    Outcome outcome;
    const std::optional<WalkResult> walk = walkSource(input, outcome);
    if (!walk)
        return outcome;
    if (m_hooks.writing)
        m_hooks.writing();
    return Dateiausgeben(input, walk->notes, today);
}

// The walk and the sort; nothing where the run stopped or the source could not be read,
// and outcome says which.
std::optional<WalkResult> GenerateRun::walkSource(const Input& input, Outcome& outcome)
{
    m_foldersEntered = 0;
    m_filesSeen = 0;
    const bool includeSubfolders = input.includeSubfolders;
    // What the walk collected before a stop is thrown away below.
    const WalkResult walk = FolderWalk::run(walkControls(), input.sourceFolder, input.pattern,
                                            [includeSubfolders] { return includeSubfolders; }, m_hooks.stop);
    if (stopRequested()) {
        outcome = stoppedOutcome();
        return std::nullopt;
    }
    if (walk.shortage != Shortage::None) {
        outcome = endShort(walk.shortage);
        return std::nullopt;
    }
    outcome.count = m_List2.ListCount(); // the first read sorts
    if (!walk.sourceRead) {
        outcome.statusText = FolderWalk::sourceUnreadableText(input.sourceFolder);
        outcome.statusPaths = {input.sourceFolder};
        return std::nullopt;
    }
    if (stopRequested()) {
        outcome = stoppedOutcome();
        return std::nullopt;
    }
    return walk;
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
    const EntryComparison::Where where =
        EntryComparison::forRun(input.sourceFolder, WindowsPath::listFilePath(input.targetFolder, input.listFileName));
    const ListFileOutcome file = ListFileWriter::write(input.targetFolder, input.listFileName, m_List2, today,
                                                       QLocale::system(), m_hooks.oldListOnlyInMemory, &where);
    Outcome outcome;
    outcome.changes = file.changes;
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

// The list is looked at first: a walk of a large tree is no answer to a list that is not there.
GenerateRun::Outcome GenerateRun::check(const Input& input)
{
    const QByteArray& listHostPath = *input.listToCheck;
    const QString listName = NameCodec::decode(listHostPath);
    const ListRecognition::OpenedList list = ListRecognition::OpenedList::open(listHostPath);
    Outcome outcome;
    outcome.statusPaths = {listName};
    if (list.failure() != ListRecognition::OpenedList::Failure::None) {
        outcome.statusText = StatusText::checkTrouble(troubleOf(list.failure()), listName);
        return outcome;
    }
    const std::optional<WalkResult> walk = walkSource(input, outcome);
    if (!walk)
        return outcome;
    outcome.leftOut = walk->notes.entries;
    const QString newRoot = rootOf(input.sourceFolder);
    const EntryComparison::Where where{newRoot, input.listRoot.isEmpty() ? newRoot.sliced(2) : input.listRoot,
                                       EntryComparison::entryOf(input.sourceFolder, listHostPath)};
    EntryComparison comparison(m_List2, where, list.content(), list.entriesLength(), [this] { return stopRequested(); },
                               m_hooks.eachChange);
    if (!compareEntries(comparison)) {
        if (stopRequested() || comparison.failure() == ListComparison::Failure::Stopped)
            return stoppedOutcome();
        outcome.statusText = StatusText::checkTrouble(troubleOf(comparison.failure()), listName);
        return outcome;
    }
    outcome.changes = comparison.changes();
    outcome.changes->nameRows(); // the checked list goes with the run
    outcome.listEntries = comparison.oldEntries();
    outcome.statusText = StatusText::checked(*outcome.changes, outcome.listEntries);
    return outcome;
}

// The result list's lines as the list file would hold them, made chunk by chunk as a write
// makes them and handed over the same way: compared on a second processor while the next
// chunk is made, and a run of lines the list holds as they are passed in one comparison of
// bytes. True when the comparison ran to its end.
bool GenerateRun::compareEntries(EntryComparison& comparison)
{
    ComparisonThread comparing(comparison);
    EntryLines lines;
    std::string chunk;
    chunk.reserve(ComparisonThread::kChunkSize + EntryLines::kLineEndLength);
    const qsizetype count = m_List2.ListCount();
    for (qsizetype i = 0; i < count; ++i) {
        if (i % kEntriesBetweenStops == 0 && stopRequested())
            return false;
        const size_t start = chunk.size();
        lines.append(m_List2.encodedItem(i), chunk);
        comparing.lineMade(start, chunk.size() - start - EntryLines::kLineEndLength);
        if (chunk.size() >= ComparisonThread::kChunkSize)
            comparing.take(chunk);
    }
    if (!chunk.empty())
        comparing.take(chunk);
    return comparing.finish();
}
