#include "bench/benchsupport.h"

#include "drives/drivetable.h"

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

namespace {

// One figure of /proc/self/status in KiB, such as "VmHWM:"; nothing where it is missing.
std::optional<long> statusKiB(const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            if (line.startsWith(field))
                return line.mid(field.size()).trimmed().split(' ').constFirst().toLong();
        }
    }
    return std::nullopt;
}

} // namespace

// The peak of this program alone: getrusage would also count what the process that
// started it held when it forked (a bench script with a million paths in hand), since the
// kernel carries that peak over the exec; VmHWM belongs to this program's memory alone.
long BenchSupport::peakMemoryKiB()
{
    if (const std::optional<long> peak = statusKiB("VmHWM:"))
        return *peak;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long BenchSupport::memoryKiB() { return statusKiB("VmRSS:").value_or(0); }
