#include "platform/folderhandles.h"
#include "support/testdrives.h"

#include <gtest/gtest.h>

#include <QFile>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A path opened again after its handle was given up leads to the folder of its first
// open or to none: a folder swapped for a link in between is not read in its place.
TEST(FolderHandles, PathOpenedAgainLeadsToTheSameFolderOrNowhere)
{
    TestDrives drives;
    drives.makeFolder(u"C:\\x\\y"_s);
    drives.makeFolder(u"C:\\ander\\y"_s);
    drives.makeFolder(u"C:\\z"_s);
    auto host = [&](const QString& path) { return QFile::encodeName(drives.host(path)); };
    ASSERT_EQ(symlink("x", host(u"C:\\verweis"_s).constData()), 0);

    FolderHandles handles(2);
    const WindowsPath swapped = *WindowsPath::parse(u"C:\\x\\y"_s);
    const WindowsPath linked = *WindowsPath::parse(u"C:\\verweis\\y"_s);
    ASSERT_EQ(handles.open(swapped).reach, FolderHandles::Reach::Opened);
    const FolderHandles::Folder first = handles.open(linked);
    ASSERT_EQ(first.reach, FolderHandles::Reach::Opened);
    ASSERT_EQ(handles.open(*WindowsPath::parse(u"C:\\z"_s)).reach, FolderHandles::Reach::Opened);

    ASSERT_EQ(rename(host(u"C:\\x"_s).constData(), host(u"C:\\alt"_s).constData()), 0);
    ASSERT_EQ(symlink("ander", host(u"C:\\x"_s).constData()), 0);
    EXPECT_EQ(handles.open(swapped).reach, FolderHandles::Reach::Missing);
    // A link that stood there from the first open leads where it led then.
    ASSERT_EQ(unlink(host(u"C:\\verweis"_s).constData()), 0);
    ASSERT_EQ(symlink("alt", host(u"C:\\verweis"_s).constData()), 0);
    const FolderHandles::Folder again = handles.open(linked);
    EXPECT_EQ(again.reach, FolderHandles::Reach::Opened);
    EXPECT_EQ(again.identity, first.identity);
}

} // namespace
