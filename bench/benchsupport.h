#pragma once

#include "drives/windowspath.h"

#include <QStringList>

#include <optional>

// What both bench programs take and report alike.
namespace BenchSupport {

struct Folders {
    WindowsPath source;
    WindowsPath target;
};

// The tree and the target folder of the command line, as the drive table names them;
// nothing, after saying why on standard error, when they are missing or on no drive.
std::optional<Folders> folders(const QStringList& arguments, const char* usage);

long peakMemoryKiB();
// What the program holds now.
long memoryKiB();

} // namespace BenchSupport
