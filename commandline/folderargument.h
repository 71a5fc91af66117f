#pragma once

#include "drives/drivetable.h"

#include <QByteArray>
#include <QString>

// A folder as a person types it on the command line: Windows-style with a drive letter
// ("C:\Daten", "d:/fotos"), where ".." goes by name and stops at the drive's root, or a
// path of this machine, absolute or relative to the current folder ("/home/anna/Daten",
// "Daten/2024", "link/.."), where ".." goes where the file system says and which the
// drive table then maps. Both '\' and '/' separate in either form. The text holds the
// host's bytes as the name decoding keeps them, so any folder can be named.
namespace FolderArgument {

struct Mapped {
    enum class Failure {
        None,
        NoDrive,       // no drive holds the host path, or the Windows-style text is malformed
        NameCannotStand, // a folder on the way has '\' or a line break in its name
        Unreachable,   // the host path up to its last ".." leads to no folder
        NoFileName,    // a file was asked for, and the text ends in a separator, "." or ".."
    };
    // The folder as the program names it ("C:\Daten"); empty on failure.
    QString folder;
    Failure failure = Failure::None;
};

// Whether the folder exists is not asked. A folder that cannot be written as a path is
// refused rather than replaced by another: the list would hold, or be written to, a
// folder the person did not name.
Mapped toWindowsPath(const QString& text, const QByteArray& currentHostFolder,
                     const DriveTable& drives = DriveTable::active());

// Why a text was refused, as the end of a sentence that names it.
QString problemText(Mapped::Failure failure);

// A file named the same way ("C:\Daten\Liste.csv", "~/Liste.csv", "Liste.csv"): its folder
// mapped as above, its name as it stands.
struct MappedFile {
    QString folder;
    QString name;
    Mapped::Failure failure = Mapped::Failure::None;
};
MappedFile fileToWindowsPath(const QString& text, const QByteArray& currentHostFolder);

} // namespace FolderArgument
