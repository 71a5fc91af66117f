#pragma once

#include "files/filereplacement.h"

#include <QByteArray>
#include <QString>

// Where a file the program writes (the list file, a table) goes on the host: its folder and
// its own name there.
struct OutputFile {
    QByteArray folder;
    QByteArray name;
    WriteFailure failure = WriteFailure::None;

    // The file named in a folder, joined as a Windows path. A name that ends in a separator,
    // "." or ".." names a folder, never a file; and a name must reach the host exactly as it
    // stands, not with '?' for a character it cannot hold.
    static OutputFile in(const QString& folder, const QString& name);
};
