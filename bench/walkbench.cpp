// One press of the generate button without the window: the walk into the same list
// controls, with Dir1's change handler doing what the window's does, and the list-file
// write. Prints what the bench script needs on one line.

#include "generation/folderwalk.h"
#include "generation/listfilewriter.h"
#include "listing/drivelist.h"
#include "listing/filelist.h"
#include "listing/folderlist.h"
#include "listing/listbox.h"
#include "platform/drivetable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <sys/resource.h>
#include <time.h>

namespace {

// The machine is shared: processor time says more than the clock while others compile.
double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

long peakMemoryKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 3) {
        QTextStream(stderr) << "usage: korvale_bench TREE TARGETFOLDER [PATTERN]\n";
        return 2;
    }
    const DriveTable& drives = DriveTable::active();
    const std::optional<WindowsPath> source = drives.windowsPathOf(QFile::encodeName(arguments[1]));
    const std::optional<WindowsPath> target = drives.windowsPathOf(QFile::encodeName(arguments[2]));
    if (!source || !target) {
        QTextStream(stderr) << "no drive holds " << arguments[1] << " or " << arguments[2] << "\n";
        return 2;
    }
    const QString pattern = arguments.size() > 3 ? arguments[3] : QStringLiteral("*.*");

    DriveList Drive1;
    FolderList Dir1;
    FileList File1;
    ListBox List1(ListBox::Order::AsAdded);
    ListBox List2(ListBox::Order::Sorted);
    QObject::connect(&Dir1, &FolderList::Change, &Dir1, [&] {
        Drive1.setDrive(Dir1.Path().left(3));
        File1.setFileName(Dir1.Path());
    });

    QElapsedTimer timer;
    timer.start();
    const double startCpu = cpuSeconds();
    const WalkResult result = FolderWalk::run({Dir1, File1, List1, List2}, source->toString(), pattern, [] { return true; });
    const qint64 walkMs = timer.elapsed();
    const double walkCpu = cpuSeconds();
    const QString countText = FolderWalk::countText(List2.ListCount());
    const qint64 sortMs = timer.elapsed() - walkMs;
    const double sortCpu = cpuSeconds();
    const bool written = result.sourceRead
        && ListFileWriter::write(target->toString(), QStringLiteral("Liste.txt"), List2, QDate::currentDate()).written;
    const qint64 writeMs = timer.elapsed() - walkMs - sortMs;
    const double writeCpu = cpuSeconds();

    QTextStream(stdout) << "source " << source->toString() << "\n"
                        << "count" << countText
                        << " walk_ms " << walkMs << " sort_ms " << sortMs << " write_ms " << writeMs
                        << " cpu_walk " << (walkCpu - startCpu) << " cpu_sort " << (sortCpu - walkCpu)
                        << " cpu_write " << (writeCpu - sortCpu) << " peak_kib " << peakMemoryKiB() << " unreadable " << result.notes.unreadableFolders
                        << " left_out " << result.notes.leftOutNames << "\n";
    return written ? 0 : 1;
}
