#include "listing/filelist.h"
#include "support/childchecks.h"
#include "support/listentries.h"
#include "support/testdrives.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QFile>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

class FileListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char16_t* file : {u"C:\\a\\Liste.txt", u"C:\\a\\Bild.PNG", u"C:\\a\\README", u"C:\\a\\b.doc",
                                     u"C:\\b\\neu.txt", u"C:\\b\\alt.bak", u"D:\\d.txt"})
            drives.makeFile(QString::fromUtf16(file), "x");
        drives.makeFolder(u"C:\\a\\Unter.txt"_s);
    }

    TestDrives drives;
    FileList list;
    QAbstractItemModelTester tester{&list, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(FileListTest, ListsTheBareNamesOfMatchingFilesOnly)
{
    ASSERT_TRUE(list.setPath(u"C:\\a"_s));
    EXPECT_EQ(list.Path(), u"C:\\a"_s);
    EXPECT_EQ(entriesOf(list), QStringList({"b.doc", "Bild.PNG", "Liste.txt", "README"}));
    EXPECT_EQ(rowsOf(list), entriesOf(list));
    EXPECT_EQ(list.List(4), QString());
    EXPECT_EQ(list.List(-1), QString());
}

TEST_F(FileListTest, PatternStaysInForceWhateverPathOrFileNameWrites)
{
    list.setPattern(u"*.txt; *.png"_s);
    ASSERT_TRUE(list.setPath(u"C:\\a"_s));
    EXPECT_EQ(entriesOf(list), QStringList({"Bild.PNG", "Liste.txt"}));
    ASSERT_TRUE(list.setFileName(u"C:\\b"_s));
    EXPECT_EQ(list.Path(), u"C:\\b"_s);
    EXPECT_EQ(entriesOf(list), QStringList({"neu.txt"}));
    ASSERT_TRUE(list.setPath(u"D:\\"_s));
    EXPECT_EQ(entriesOf(list), QStringList({"d.txt"}));
}

TEST_F(FileListTest, WritingThePatternListsTheFolderAgain)
{
    ASSERT_TRUE(list.setPath(u"C:\\a"_s));
    const struct {
        QString pattern;
        QStringList names;
    } steps[] = {
        {u"*."_s, {"README"}},
        {u"*.DOC"_s, {"b.doc"}},
        {u""_s, {"b.doc", "Bild.PNG", "Liste.txt", "README"}},
        {u"C:\\a\\*.*"_s, {}},
        {u"?????.txt"_s, {"Liste.txt"}},
        {u"*.*"_s, {"b.doc", "Bild.PNG", "Liste.txt", "README"}},
    };
    for (const auto& [pattern, names] : steps) {
        list.setPattern(pattern);
        EXPECT_EQ(entriesOf(list), names) << pattern.toStdString();
        EXPECT_EQ(rowsOf(list), names) << pattern.toStdString();
    }
}

TEST_F(FileListTest, PathThatIsNoFolderLeavesTheListAsItWas)
{
    ASSERT_TRUE(list.setPath(u"C:\\b"_s));
    for (const QString& path : {u"C:\\Fehlt"_s, u"C:\\b\\neu.txt"_s, u""_s, u"E:\\"_s, u"Q:\\"_s, u"b"_s}) {
        EXPECT_FALSE(list.setPath(path)) << path.toStdString();
        EXPECT_FALSE(list.setFileName(path)) << path.toStdString();
        EXPECT_EQ(list.Path(), u"C:\\b"_s);
        EXPECT_EQ(entriesOf(list), QStringList({"alt.bak", "neu.txt"}));
    }
}

TEST_F(FileListTest, RefreshSeesNewAndRemovedFiles)
{
    ASSERT_TRUE(list.setPath(u"C:\\b"_s));
    drives.makeFile(u"C:\\b\\0-erst.txt"_s);
    ASSERT_TRUE(QFile::remove(drives.host(u"C:\\b\\alt.bak"_s)));
    list.Refresh();
    EXPECT_EQ(entriesOf(list), QStringList({"0-erst.txt", "neu.txt"}));
    EXPECT_FALSE(list.readFailed());
}

TEST_F(FileListTest, UnreadableFolderListsNothingAndSaysSo)
{
    const OpenToEveryone everyone(QFile::encodeName(drives.cRoot()));
    const QByteArray locked = QFile::encodeName(drives.host(u"C:\\b"_s));
    ASSERT_EQ(chmod(locked.constData(), 0), 0);

    const std::string failures = failedChecksIn(runUnprivileged, [](ChildChecks& check) {
        FileList files;
        check.equal("C:\\b set", files.setPath(u"C:\\b"_s), true);
        check.equal("path", files.Path(), u"C:\\b"_s);
        check.equal("files in C:\\b", files.ListCount(), qsizetype(0));
        check.equal("C:\\b read failed", files.readFailed(), true);
        check.equal("C:\\a set", files.setPath(u"C:\\a"_s), true);
        check.equal("C:\\a read failed", files.readFailed(), false);
        check.equal("files in C:\\a", files.ListCount(), qsizetype(4));
    });
    chmod(locked.constData(), 0755);
    EXPECT_EQ(failures, "");
}

} // namespace
