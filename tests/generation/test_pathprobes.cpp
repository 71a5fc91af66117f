#include "generation/pathprobes.h"
#include "support/testdrives.h"

#include <gtest/gtest.h>

#include <QFile>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

class PathProbes : public ::testing::Test {
protected:
    void SetUp() override
    {
        drives.makeFolder(u"C:\\Daten\\Unter"_s);
        drives.makeFile(u"C:\\Liste.txt"_s, "x\r\n");
        drives.makeFile(u"C:\\Daten\\leer.txt"_s);
        drives.makeFolder(u"D:\\Ordner"_s);
    }

    TestDrives drives;
};

TEST_F(PathProbes, DirExistsOnlyForExistingFolders)
{
    const struct {
        QString path;
        bool exists;
    } cases[] = {
        {u"C:\\"_s, true},
        {u"c:\\"_s, true},
        {u"C:/"_s, true},
        {u"C:\\\\"_s, true},
        {u"D:\\"_s, true},
        {u"C:\\Daten"_s, true},
        {u"C:\\Daten\\"_s, true},
        {u"C:\\\\Daten"_s, true},
        {u"c:/daten/../Daten/Unter"_s, true},
        {u"D:\\Ordner"_s, true},
        {u"C:\\Liste.txt"_s, false},
        {u"C:\\Daten\\leer.txt"_s, false},
        {u""_s, false},
        {u"C:"_s, false},
        {u"Daten"_s, false},
        {u"C:\\Fehlt"_s, false},
        {u"C:\\Daten\\Fehlt\\Unter"_s, false},
        {u"C:\\Liste.txt\\Unter"_s, false},
        {u"E:\\"_s, false},
        {u"E:\\Daten"_s, false},
        {u"Q:\\"_s, false},
    };
    for (const auto& [path, exists] : cases)
        EXPECT_EQ(::PathProbes::DirExists(path), exists) << path.toStdString();
}

TEST_F(PathProbes, ASystemEntryIsNoFolder)
{
    ASSERT_EQ(mkfifo(QFile::encodeName(drives.host(u"C:\\fifo"_s)).constData(), 0600), 0);
    EXPECT_FALSE(::PathProbes::DirExists(u"C:\\fifo"_s));
}

TEST_F(PathProbes, ALinkIsProbedAsWhatItPointsAt)
{
    ASSERT_TRUE(QFile::link(drives.host(u"C:\\Daten"_s), drives.host(u"C:\\zu-daten"_s)));
    ASSERT_TRUE(QFile::link(drives.host(u"C:\\Fehlt"_s), drives.host(u"C:\\ins-leere"_s)));
    EXPECT_TRUE(::PathProbes::DirExists(u"C:\\zu-daten"_s));
    EXPECT_FALSE(::PathProbes::DirExists(u"C:\\ins-leere"_s));
}

TEST_F(PathProbes, TextWithANullCharacterNamesNothing)
{
    const QString afterNull = QString(QChar(0)) + u"Fehlt"_s;
    EXPECT_FALSE(::PathProbes::DirExists(u"C:\\Daten"_s + afterNull));
}

} // namespace
