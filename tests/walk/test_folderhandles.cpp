#include "support/testdrives.h"
#include "walk/folderhandles.h"

#include <gtest/gtest.h>

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
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

FolderHandles::Identity identityOfHost(const QString& hostPath)
{
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(hostPath).constData(), &info), 0) << hostPath.toStdString();
    return {info.st_dev, info.st_ino};
}

// A folder handed out stays open for its holder after the handles have given it up and
// opened others in its place.
TEST(FolderHandles, FolderHandedOutOutlivesItsPlaceAmongTheKeptOnes)
{
    TestDrives drives;
    for (const QString& name : {u"a"_s, u"b"_s, u"c"_s, u"d"_s})
        drives.makeFolder(u"C:\\"_s + name);
    FolderHandles handles(2);
    const FolderHandles::Folder first = handles.open(*WindowsPath::parse(u"C:\\a"_s));
    ASSERT_EQ(first.reach, FolderHandles::Reach::Opened);
    for (const QString& name : {u"b"_s, u"c"_s, u"d"_s})
        ASSERT_EQ(handles.open(*WindowsPath::parse(u"C:\\"_s + name)).reach, FolderHandles::Reach::Opened);

    struct stat info {};
    ASSERT_EQ(::fstat(first.handle->descriptor(), &info), 0);
    EXPECT_EQ((FolderHandles::Identity{info.st_dev, info.st_ino}), identityOfHost(drives.host(u"C:\\a"_s)));
    EXPECT_EQ(first.identity, identityOfHost(drives.host(u"C:\\a"_s)));
}

// A folder read before is opened again for other threads from whatever is kept, as a place
// to open below, and only while it is still that folder.
TEST(FolderHandles, FolderReopenedForReadersIsTheOneReadBefore)
{
    struct Case {
        const char* what;
        QString keptBefore; // opened on these handles first, if anything
        bool swapped;       // the folder replaced by a link to another one before
        bool found;
    };
    const Case cases[] = {
        {"the folder itself kept", u"C:\\x\\y"_s, false, true},
        {"an ancestor kept", u"C:\\x"_s, false, true},
        {"nothing kept", QString(), false, true},
        {"moved aside for a link, the folder kept: still that folder", u"C:\\x\\y"_s, true, true},
        {"swapped for a link, nothing kept", QString(), true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestDrives drives;
        drives.makeFolder(u"C:\\x\\y\\z"_s);
        drives.makeFolder(u"C:\\ander\\z"_s);
        const WindowsPath path = *WindowsPath::parse(u"C:\\x\\y"_s);
        const FolderHandles::Identity first = identityOfHost(drives.host(u"C:\\x\\y"_s));
        FolderHandles handles;
        if (!c.keptBefore.isEmpty()) {
            ASSERT_EQ(handles.open(*WindowsPath::parse(c.keptBefore)).reach, FolderHandles::Reach::Opened);
        }
        if (c.swapped) {
            const QByteArray folder = QFile::encodeName(drives.host(u"C:\\x\\y"_s));
            ASSERT_EQ(rename(folder.constData(), (folder + "-alt").constData()), 0);
            ASSERT_EQ(symlink(QFile::encodeName(drives.host(u"C:\\ander"_s)).constData(), folder.constData()), 0);
        }

        const std::shared_ptr<const FolderHandles::Handle> reopened = handles.reopen(path, first);
        ASSERT_EQ(reopened != nullptr, c.found);
        if (!reopened)
            continue;
        EXPECT_EQ(FolderHandles::identityOf(reopened->descriptor()), first);
        EXPECT_EQ(FolderHandles::lookAt(reopened->descriptor(), "z", false).standing, FolderHandles::Standing::Folder);
        const FolderHandles::Opened below = FolderHandles::openBelow(*reopened, "z");
        EXPECT_EQ(below.reach, FolderHandles::Reach::Opened);
    }
}

} // namespace
