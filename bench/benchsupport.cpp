#include "bench/benchsupport.h"

#include "platform/drivetable.h"

#include <QFile>
#include <QTextStream>

#include <sys/resource.h>

std::optional<BenchSupport::Folders> BenchSupport::folders(const QStringList& arguments, const char* usage)
{
    if (arguments.size() < 3) {
        QTextStream(stderr) << "usage: " << usage << "\n";
        return std::nullopt;
    }
    const DriveTable& drives = DriveTable::active();
    const std::optional<WindowsPath> source = drives.windowsPathOf(QFile::encodeName(arguments[1]));
    const std::optional<WindowsPath> target = drives.windowsPathOf(QFile::encodeName(arguments[2]));
    if (!source || !target) {
        QTextStream(stderr) << "no drive holds " << arguments[1] << " or " << arguments[2] << "\n";
        return std::nullopt;
    }
    return Folders{*source, *target};
}

long BenchSupport::peakMemoryKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
