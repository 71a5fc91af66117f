// One press of the generate button without the window: the walk into a run's hidden
// controls, the count and the list-file write, each phase timed on its own; with --table
// also the table beside the list file (Liste.csv), as --generate --table writes it. A list
// file already in the target folder is compared with the new list as a run compares it, and
// what changed is counted. Prints the source folder on one line and the figures on the next.

#include "bench/benchsupport.h"
#include "generation/generaterun.h"
#include "generation/listfilewriter.h"
#include "readahead/folderreads.h"
#include "table/tablerun.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QTextStream>

#include <time.h>

namespace {

double seconds(clockid_t clock)
{
    timespec time{};
    clock_gettime(clock, &time);
    return double(time.tv_sec) + double(time.tv_nsec) / 1e9;
}

// Where a phase ends, by the clock and by processor time: the machine is shared, and
// processor time says more while others compile. The walk reads ahead on a second thread,
// so the program's own thread's time is its critical path.
struct Mark {
    qint64 ms;
    double cpu;
    double mainThread;

    static Mark now(const QElapsedTimer& clock)
    {
        return {clock.elapsed(), seconds(CLOCK_PROCESS_CPUTIME_ID), seconds(CLOCK_THREAD_CPUTIME_ID)};
    }
};

} // namespace

int main(int argc, char** argv)
{
    FolderReads::makeRoomBeforeThreads(); // as the program does
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments();
    const bool table = arguments.removeAll(QStringLiteral("--table")) > 0;
    const std::optional<BenchSupport::Folders> folders =
        BenchSupport::folders(arguments, "korvale_bench [--table] TREE TARGETFOLDER [PATTERN]");
    if (!folders)
        return 2;
    const WindowsPath& source = folders->source;
    const WindowsPath& target = folders->target;
    const QString pattern = arguments.size() > 3 ? arguments[3] : QStringLiteral("*.*");

    GenerateRun hidden;
    ListBox& List2 = hidden.List2();

    QElapsedTimer clock;
    clock.start();
    const Mark start = Mark::now(clock);
    const WalkResult result = FolderWalk::run(hidden.walkControls(), source.toString(), pattern, [] { return true; });
    const Mark walked = Mark::now(clock);
    const QString countText = FolderWalk::countText(List2.ListCount()); // the first read sorts
    const Mark sorted = Mark::now(clock);
    const QString listName = QStringLiteral("Liste.txt");
    const EntryComparison::Where where =
        EntryComparison::forRun(source.toString(), WindowsPath::listFilePath(target.toString(), listName));
    const ListFileOutcome listFile = result.sourceRead
        ? ListFileWriter::write(target.toString(), listName, List2, QDate::currentDate(), QLocale::system(), {}, &where)
        : ListFileOutcome();
    const bool written = listFile.written;
    const Mark wrote = Mark::now(clock);
    const TableRun::Input tableInput{target.toString(), QStringLiteral("Liste.csv"), target.toString(), listName};
    const bool tableWritten = !table || !written || TableRun().run(List2, tableInput).written;
    const Mark tabled = Mark::now(clock);

    QTextStream(stdout) << "source " << source.toString() << "\n"
                        << "count" << countText << " walk_ms " << walked.ms - start.ms
                        << " sort_ms " << sorted.ms - walked.ms << " write_ms " << wrote.ms - sorted.ms
                        << " cpu_walk " << walked.cpu - start.cpu << " cpu_walk_main " << walked.mainThread - start.mainThread
                        << " cpu_sort " << sorted.cpu - walked.cpu
                        << " cpu_write " << wrote.cpu - sorted.cpu;
    if (table)
        QTextStream(stdout) << " table_ms " << tabled.ms - wrote.ms << " cpu_table " << tabled.cpu - wrote.cpu;
    if (listFile.changes)
        QTextStream(stdout) << " new " << listFile.changes->count(ListChanges::Kind::New) << " missing "
                            << listFile.changes->count(ListChanges::Kind::Missing);
    QTextStream(stdout) << " peak_kib " << BenchSupport::peakMemoryKiB()
                        << " unreadable " << result.notes.unreadableFolders << " left_out " << result.notes.leftOutNames
                        << "\n";
    return written && tableWritten ? 0 : 1;
}
