#include "drives/drivetable.h"
#include "listing/drivelist.h"
#include "listing/filelist.h"
#include "listing/folderlist.h"
#include "support/childchecks.h"
#include "support/listentries.h"
#include "support/testdrives.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// What a handler connected to Change sees at the moment it runs.
struct SeenInChange {
    QString path;
    QStringList subfolders;
};

class FolderListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        drives.makeFolder(u"C:\\a\\x\\tief"_s);
        drives.makeFolder(u"C:\\a\\y"_s);
        drives.makeFolder(u"C:\\b"_s);
        drives.makeFile(u"C:\\a\\Liste.txt"_s);
        drives.makeFolder(u"D:\\d1\\d2"_s);
        list.Refresh();
        QObject::connect(&list, &FolderList::Change, [this] { seen.append({list.Path(), entriesOf(list)}); });
    }

    TestDrives drives;
    FolderList list{ListStart::CurrentFolder};
    QAbstractItemModelTester tester{&list, QAbstractItemModelTester::FailureReportingMode::Fatal};
    QList<SeenInChange> seen;
};

TEST_F(FolderListTest, StartsOnAnExistingFolder)
{
    EXPECT_EQ(list.Path(), u"C:\\"_s);
    EXPECT_EQ(entriesOf(list), QStringList({"C:\\a", "C:\\b"}));
}

TEST_F(FolderListTest, ChangeIsRaisedOncePerRealChangeAndNeverForTheSameValue)
{
    const struct {
        QString written;
        bool accepted;
        QString pathAfter;
        bool changed;
    } steps[] = {
        {u"C:\\a"_s, true, u"C:\\a"_s, true},
        {u"C:\\a"_s, true, u"C:\\a"_s, false},
        {u"c:/a/"_s, true, u"C:\\a"_s, false},
        {u"C:\\\\a"_s, true, u"C:\\a"_s, false},
        {u"C:\\b\\..\\a\\."_s, true, u"C:\\a"_s, false},
        {u"c: [irgendwas]"_s, true, u"C:\\a"_s, false},
        {u"C:"_s, true, u"C:\\a"_s, false},
        {u"C:\\a\\x"_s, true, u"C:\\a\\x"_s, true},
        {u"D:"_s, true, u"D:\\"_s, true},
        {u"D:\\d1\\d2"_s, true, u"D:\\d1\\d2"_s, true},
        {u"c: [/anderswo]"_s, true, u"C:\\a\\x"_s, true},
        {u"d:"_s, true, u"D:\\d1\\d2"_s, true},
        {u"C:\\Fehlt"_s, false, u"D:\\d1\\d2"_s, false},
        {u"C:\\a\\Liste.txt"_s, false, u"D:\\d1\\d2"_s, false},
        {u""_s, false, u"D:\\d1\\d2"_s, false},
        {u"Daten"_s, false, u"D:\\d1\\d2"_s, false},
        {u"Q:\\"_s, false, u"D:\\d1\\d2"_s, false},
        {u"q: [/]"_s, false, u"D:\\d1\\d2"_s, false},
        {u"E:\\"_s, false, u"D:\\d1\\d2"_s, false},
        {u"e:"_s, false, u"D:\\d1\\d2"_s, false},
        {u"C:\\"_s, true, u"C:\\"_s, true},
        {u"C:\\\\"_s, true, u"C:\\"_s, false},
        {u"c:/"_s, true, u"C:\\"_s, false},
        {u"C:\\a\\.."_s, true, u"C:\\"_s, false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.written.toStdString());
        const qsizetype before = seen.size();
        EXPECT_EQ(list.setPath(step.written), step.accepted);
        EXPECT_EQ(list.Path(), step.pathAfter);
        EXPECT_EQ(seen.size() - before, step.changed ? 1 : 0);
    }
}

TEST_F(FolderListTest, HandlerSeesTheNewPathAndItsSubfoldersAlready)
{
    ASSERT_TRUE(list.setPath(u"C:\\a"_s));
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].path, u"C:\\a"_s);
    EXPECT_EQ(seen[0].subfolders, QStringList({"C:\\a\\x", "C:\\a\\y"}));

    ASSERT_TRUE(list.setPath(u"D:"_s));
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[1].path, u"D:\\"_s);
    EXPECT_EQ(seen[1].subfolders, QStringList({"D:\\d1"}));
}

TEST_F(FolderListTest, HandlerMayMoveAnotherListWhileItRuns)
{
    FolderList follower;
    QObject::connect(&list, &FolderList::Change, [&] { follower.setPath(list.Path().left(3)); });
    QStringList followerSaw;
    QObject::connect(&follower, &FolderList::Change, [&] { followerSaw.append(follower.Path()); });

    ASSERT_TRUE(list.setPath(u"D:\\d1"_s));
    EXPECT_EQ(follower.Path(), u"D:\\"_s);
    ASSERT_TRUE(list.setPath(u"D:\\d1\\d2"_s));
    EXPECT_EQ(followerSaw, QStringList({"D:\\"}));
}

// A drive list and a folder list that follow each other, as the pickers wire them: the
// drive's current folder is the one just set, so the cascade ends after one round.
TEST_F(FolderListTest, CoupledDriveListCascadeEndsAtTheFolderThatWasSet)
{
    DriveList drive;
    QStringList driveSaw;
    QObject::connect(&list, &FolderList::Change, [&] { drive.setDrive(list.Path().left(3)); });
    QObject::connect(&drive, &DriveList::Change, [&] {
        driveSaw.append(drive.Drive());
        list.setPath(drive.Drive());
    });

    ASSERT_TRUE(list.setPath(u"D:\\d1\\d2"_s));
    EXPECT_EQ(list.Path(), u"D:\\d1\\d2"_s);
    EXPECT_EQ(drive.letter(), u'D');
    EXPECT_EQ(seen.size(), 1);
    EXPECT_EQ(driveSaw, QStringList({DriveList::driveText(u'D')}));

    ASSERT_TRUE(drive.setDrive(u"c:"_s));
    EXPECT_EQ(list.Path(), u"C:\\"_s);
    EXPECT_EQ(seen.size(), 2);
    ASSERT_TRUE(drive.setDrive(u"D:\\"_s));
    EXPECT_EQ(list.Path(), u"D:\\d1\\d2"_s);
    EXPECT_EQ(seen.size(), 3);
    EXPECT_EQ(driveSaw.size(), 3);
}

TEST_F(FolderListTest, DriveValueFallsBackToTheRootWhenItsLastFolderIsGone)
{
    ASSERT_TRUE(list.setPath(u"D:\\d1\\d2"_s));
    ASSERT_TRUE(list.setPath(u"C:\\b"_s));
    ASSERT_TRUE(QDir(drives.host(u"D:\\d1"_s)).removeRecursively());
    EXPECT_TRUE(list.setPath(u"d: [x]"_s));
    EXPECT_EQ(list.Path(), u"D:\\"_s);
    EXPECT_EQ(list.ListCount(), 0);
}

TEST_F(FolderListTest, SubfolderPathIsTheParentPathAndItsName)
{
    ASSERT_TRUE(list.setPath(u"C:\\"_s));
    EXPECT_EQ(entriesOf(list), QStringList({"C:\\a", "C:\\b"}));
    ASSERT_TRUE(list.setPath(list.List(0)));
    EXPECT_EQ(entriesOf(list), QStringList({"C:\\a\\x", "C:\\a\\y"}));
    ASSERT_TRUE(list.setPath(list.List(0)));
    EXPECT_EQ(list.Path(), u"C:\\a\\x"_s);
    EXPECT_EQ(entriesOf(list), QStringList({"C:\\a\\x\\tief"}));
    EXPECT_EQ(list.List(1), QString());
    EXPECT_EQ(list.List(-1), QString());
}

TEST_F(FolderListTest, RefreshReadsAgainWithoutAChange)
{
    ASSERT_TRUE(list.setPath(u"C:\\a"_s));
    drives.makeFolder(u"C:\\a\\neu"_s);
    EXPECT_EQ(list.ListCount(), 2);
    const qsizetype changes = seen.size();
    list.Refresh();
    EXPECT_EQ(entriesOf(list), QStringList({"C:\\a\\neu", "C:\\a\\x", "C:\\a\\y"}));
    EXPECT_EQ(seen.size(), changes);
}

TEST_F(FolderListTest, ViewRowsAreTheAncestorsThenTheSubfolders)
{
    ASSERT_TRUE(list.setPath(u"C:\\a"_s));
    const struct {
        QString display;
        QString path;
        FolderList::RowKind kind;
        int depth;
    } rows[] = {
        {u"c:\\"_s, u"C:\\"_s, FolderList::RowKind::Ancestor, 0},
        {u"a"_s, u"C:\\a"_s, FolderList::RowKind::Current, 1},
        {u"x"_s, u"C:\\a\\x"_s, FolderList::RowKind::Subfolder, 2},
        {u"y"_s, u"C:\\a\\y"_s, FolderList::RowKind::Subfolder, 2},
    };
    ASSERT_EQ(list.rowCount(), int(std::size(rows)));
    for (int row = 0; row < list.rowCount(); ++row) {
        const QModelIndex index = list.index(row);
        EXPECT_EQ(index.data().toString(), rows[row].display);
        EXPECT_EQ(index.data(FolderList::PathRole).toString(), rows[row].path);
        EXPECT_EQ(index.data(FolderList::RowKindRole).toInt(), int(rows[row].kind));
        EXPECT_EQ(index.data(FolderList::DepthRole).toInt(), rows[row].depth);
    }

    ASSERT_TRUE(list.setPath(u"C:\\"_s));
    ASSERT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.index(0).data(FolderList::RowKindRole).toInt(), int(FolderList::RowKind::Current));
    EXPECT_EQ(list.index(1).data(FolderList::PathRole).toString(), u"C:\\a"_s);
}

TEST_F(FolderListTest, UnreadableFolderIsEnteredListsNothingAndSaysSo)
{
    const OpenToEveryone everyone(QFile::encodeName(drives.cRoot()));
    drives.makeFolder(u"C:\\gesperrt\\innen"_s);
    const QByteArray lockedHost = QFile::encodeName(drives.host(u"C:\\gesperrt"_s));
    ASSERT_EQ(chmod(lockedHost.constData(), 0), 0);

    const std::string failures = failedChecksIn(runUnprivileged, [](ChildChecks& check) {
        FolderList locked;
        int changes = 0;
        QObject::connect(&locked, &FolderList::Change, [&] { ++changes; });
        check.equal("C:\\gesperrt set", locked.setPath(u"C:\\gesperrt"_s), true);
        check.equal("path", locked.Path(), u"C:\\gesperrt"_s);
        check.equal("changes", changes, 1);
        check.equal("folders in C:\\gesperrt", locked.ListCount(), qsizetype(0));
        check.equal("C:\\gesperrt read failed", locked.readFailed(), true);
        check.equal("C:\\ set", locked.setPath(u"C:\\"_s), true);
        check.equal("C:\\ read failed", locked.readFailed(), false);
        check.equal("folders in C:\\", locked.ListCount(), qsizetype(3));
    });
    chmod(lockedHost.constData(), 0755);
    EXPECT_EQ(failures, "");
}

TEST(FolderListDrives, WalkBelowAFolderKeepsItsDriveWhereAnotherDriveIsNested)
{
    QTemporaryDir outer;
    const QByteArray z = QFile::encodeName(outer.path());
    ASSERT_TRUE(QDir().mkpath(outer.path() + u"/home/x"_s));
    const ScopedDriveTable nested(DriveTable({{u'C', z + "/home"}, {u'Z', z}}));

    FolderList list;
    ASSERT_TRUE(list.setPath(u"Z:\\"_s));
    EXPECT_EQ(entriesOf(list), QStringList({"Z:\\home"}));
    ASSERT_TRUE(list.setPath(list.List(0)));
    EXPECT_EQ(list.Path(), u"Z:\\home"_s);
    EXPECT_EQ(entriesOf(list), QStringList({"Z:\\home\\x"}));
    ASSERT_TRUE(list.setPath(u"C:\\"_s));
    EXPECT_EQ(entriesOf(list), QStringList({"C:\\x"}));
}

// A host folder named "a\b" would read as the folder b in a: lists never stand on it.
TEST(FolderListStart, StartsAtTheNearestFolderWhosePathCanBeWritten)
{
    TestDrives drives;
    drives.makeFile(u"C:\\a\\b\\falsch.txt"_s);
    const QByteArray odd = QFile::encodeName(drives.cRoot()) + "/a\\b";
    ASSERT_EQ(mkdir(odd.constData(), 0755), 0);
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QFile::decodeName(odd)));
    FolderList folders(ListStart::CurrentFolder);
    FileList files(ListStart::CurrentFolder);
    QDir::setCurrent(saved);
    EXPECT_EQ(folders.Path(), u"C:\\"_s);
    EXPECT_EQ(files.Path(), u"C:\\"_s);

    drives.makeFolder(u"C:\\zeilen\numbruch"_s);
    EXPECT_FALSE(folders.setPath(u"C:\\zeilen\numbruch"_s));
    EXPECT_FALSE(files.setPath(u"C:\\zeilen\numbruch"_s));
    EXPECT_EQ(folders.Path(), u"C:\\"_s);
}

// Hidden lists wait for a run to move them: from a current folder full of files they
// stand nowhere, list nothing and select no drive.
TEST(FolderListStart, ListsStartedNowhereStandOnNoFolder)
{
    TestDrives drives;
    drives.makeFile(u"C:\\start\\datei.txt"_s);
    drives.makeFolder(u"C:\\start\\unter"_s);
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(drives.host(u"C:\\start"_s)));
    FolderList folders;
    FileList files;
    DriveList drive;
    FolderList shown(ListStart::CurrentFolder);
    QDir::setCurrent(saved);

    EXPECT_EQ(folders.Path(), QString());
    EXPECT_EQ(folders.rowCount(), 0);
    EXPECT_EQ(files.Path(), QString());
    EXPECT_EQ(files.ListCount(), 0);
    EXPECT_FALSE(files.readFailed());
    EXPECT_EQ(drive.letter(), QChar());
    EXPECT_EQ(drive.Drive(), QString());
    EXPECT_EQ(entriesOf(shown), QStringList({"C:\\start\\unter"}));
}

} // namespace
