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

TEST_F(PathProbes, FileExistsOnlyForExistingFiles)
{
    const struct {
        QString path;
        bool exists;
    } cases[] = {
        {u"C:\\Liste.txt"_s, true},
        {u"C:\\\\Liste.txt"_s, true},
        {u"C:/Liste.txt"_s, true},
        {u"C:\\Daten\\leer.txt"_s, true},
        {u"C:\\Daten\\..\\Liste.txt"_s, true},
        {u"C:\\"_s, false},
        {u"C:\\Daten"_s, false},
        {u"C:\\Daten\\"_s, false},
        {u"C:\\Fehlt.txt"_s, false},
        {u"C:\\Fehlt\\Liste.txt"_s, false},
        {u""_s, false},
        {u"Liste.txt"_s, false},
        {u"E:\\Liste.txt"_s, false},
        {u"Q:\\Liste.txt"_s, false},
    };
    for (const auto& [path, exists] : cases)
        EXPECT_EQ(::PathProbes::FileExists(path), exists) << path.toStdString();
}

TEST_F(PathProbes, SystemEntriesAreNeitherFilesNorFolders)
{
    ASSERT_EQ(mkfifo(QFile::encodeName(drives.host(u"C:\\fifo"_s)).constData(), 0600), 0);
    EXPECT_FALSE(::PathProbes::FileExists(u"C:\\fifo"_s));
    EXPECT_FALSE(::PathProbes::DirExists(u"C:\\fifo"_s));
}

TEST_F(PathProbes, LinksAreProbedAsWhatTheyPointAt)
{
    ASSERT_TRUE(QFile::link(drives.host(u"C:\\Liste.txt"_s), drives.host(u"C:\\zur-liste"_s)));
    ASSERT_TRUE(QFile::link(drives.host(u"C:\\Daten"_s), drives.host(u"C:\\zu-daten"_s)));
    ASSERT_TRUE(QFile::link(drives.host(u"C:\\Fehlt"_s), drives.host(u"C:\\ins-leere"_s)));
    EXPECT_TRUE(::PathProbes::FileExists(u"C:\\zur-liste"_s));
    EXPECT_TRUE(::PathProbes::DirExists(u"C:\\zu-daten"_s));
    EXPECT_FALSE(::PathProbes::FileExists(u"C:\\zu-daten"_s));
    EXPECT_FALSE(::PathProbes::FileExists(u"C:\\ins-leere"_s));
    EXPECT_FALSE(::PathProbes::DirExists(u"C:\\ins-leere"_s));
}

TEST_F(PathProbes, TextWithANullCharacterNamesNothing)
{
    const QString afterNull = QString(QChar(0)) + u"Fehlt"_s;
    EXPECT_FALSE(::PathProbes::DirExists(u"C:\\Daten"_s + afterNull));
    EXPECT_FALSE(::PathProbes::FileExists(u"C:\\Liste.txt"_s + afterNull));
}

} // namespace
