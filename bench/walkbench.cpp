// One press of the generate button without the window: the walk into a run's hidden
// controls, the count and the list-file write, each phase timed on its own. Prints the
// source folder on one line and the figures on the next.

#include "bench/benchsupport.h"
#include "generation/generaterun.h"
#include "generation/listfilewriter.h"

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
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const std::optional<BenchSupport::Folders> folders = BenchSupport::folders(arguments, "korvale_bench TREE TARGETFOLDER [PATTERN]");
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
    const bool written = result.sourceRead
        && ListFileWriter::write(target.toString(), QStringLiteral("Liste.txt"), List2, QDate::currentDate()).written;
    const Mark wrote = Mark::now(clock);

    QTextStream(stdout) << "source " << source.toString() << "\n"
                        << "count" << countText << " walk_ms " << walked.ms - start.ms
                        << " sort_ms " << sorted.ms - walked.ms << " write_ms " << wrote.ms - sorted.ms
                        << " cpu_walk " << walked.cpu - start.cpu << " cpu_walk_main " << walked.mainThread - start.mainThread
                        << " cpu_sort " << sorted.cpu - walked.cpu
                        << " cpu_write " << wrote.cpu - sorted.cpu << " peak_kib " << BenchSupport::peakMemoryKiB()
                        << " unreadable " << result.notes.unreadableFolders << " left_out " << result.notes.leftOutNames
                        << "\n";
    return written ? 0 : 1;
}
