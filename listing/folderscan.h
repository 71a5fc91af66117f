#pragma once

#include "listing/filepattern.h"

#include <QByteArray>
#include <QStringList>

// The visible entries of one host folder, as the folder and file lists show them: no
// hidden names (a leading '.'), no system entries, no links to folders, no pseudo file
// systems; sorted by name, letter case not counted, ties broken case-sensitively so that
// every run sees the same order.
struct FolderScan {
    QStringList names;
    // Names that cannot stand in one Windows-style line ('\' or a line break): left out
    // and counted, so that the caller can say so.
    qsizetype leftOut = 0;
    // False when the folder could not be read (to its end).
    bool complete = false;
    // False when the path names no folder at all; a folder that cannot be read is one.
    bool isFolder = false;

    static FolderScan subfolders(const QByteArray& hostPath);
    static FolderScan files(const QByteArray& hostPath, const FilePattern& pattern);

    static bool canStandInPath(QStringView name);
};
