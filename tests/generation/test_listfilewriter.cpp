#include "generation/listfilewriter.h"
#include "listing/listbox.h"
#include "support/testdrives.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QDate kToday(2024, 3, 5);
const QLocale kGerman(QLocale::German, QLocale::Germany);

const QByteArray kFooter = "\r\n"
                           "Korvale 3.0\r\n"
                           "05.03.24\r\n"
                           "(c) Korvale-Team\r\n"
                           "Mail: info@korvale.example\r\n"
                           "Internet: https://korvale.example/\r\n";

class ListFileWriterTest : public ::testing::Test {
protected:
    ListFileOutcome write(const QString& folder, const QString& name, const QStringList& entries = {})
    {
        m_list.Clear();
        for (const QString& entry : entries)
            m_list.AddItem(entry);
        return ListFileWriter::write(folder, name, m_list, kToday, kGerman);
    }

    QByteArray contentOf(const QString& windowsPath) const
    {
        QFile file(m_drives.host(windowsPath));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QStringList namesIn(const QString& hostFolder) const
    {
        return QDir(hostFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    TestDrives m_drives;
    ListBox m_list{ListBox::Order::Sorted};
};

TEST_F(ListFileWriterTest, WritesEntriesInListOrderThenEmptyLineAndFooter)
{
    struct Case {
        const char* what;
        QStringList entries;
        QByteArray lines;
        qsizetype replacedEntries;
    };
    const QList<Case> cases = {
        {"no entries: six lines", {}, "", 0},
        {"three entries: nine lines, sorted",
         {"C:\\b.txt", "C:\\A.txt", "C:\\c.txt"},
         "C:\\A.txt\r\nC:\\b.txt\r\nC:\\c.txt\r\n", 0},
        {"umlaut is one byte", {u"C:\\Müller\\ü.txt"_qs}, "C:\\M\xFCller\\\xFC.txt\r\n", 0},
        {"euro sign", {u"C:\\€.txt"_qs}, "C:\\\x80.txt\r\n", 0},
        {"outside the code page", {u"C:\\Ωμ.txt"_qs, "C:\\z.txt"}, "C:\\z.txt\r\nC:\\??.txt\r\n", 1},
        {"surrogate pair is one character", {u"C:\\a\U0001F600.txt"_qs}, "C:\\a?.txt\r\n", 1},
        {"undecodable byte stays that byte", {u"C:\\Bl\xDCE4tter\\x.txt"_qs}, "C:\\Bl\xE4tter\\x.txt\r\n", 0},
        {"decomposed accent is composed", {u"C:\\Caf\u0065\u0301.txt"_qs}, "C:\\Caf\xE9.txt\r\n", 0},
        {"composed beside an undecodable byte", {u"C:\\\xDCE4" u"e\u0301.txt"_qs}, "C:\\\xE4\xE9.txt\r\n", 0},
        {"nothing is quoted", {"C:\\a \"b\",c.txt"}, "C:\\a \"b\",c.txt\r\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ListFileOutcome outcome = write("C:\\", "Liste.txt", c.entries);
        EXPECT_TRUE(outcome.written);
        EXPECT_EQ(outcome.replacedEntries, c.replacedEntries);
        EXPECT_EQ(contentOf("C:\\Liste.txt"), c.lines + kFooter);
    }
}

// The entries of one folder share its path, which is put into the code page once for all
// of them: what it replaced counts for each entry, and nothing composes across a '\\'.
TEST_F(ListFileWriterTest, EntriesSharingAFolderPathCountItsReplacementsEach)
{
    const ListFileOutcome outcome = write("C:\\", "Liste.txt",
                                          {u"C:\\Ωμ\\a.txt"_qs, u"C:\\Ωμ\\b.txt"_qs, u"C:\\Cafe\u0301\\\u0301x.txt"_qs,
                                           u"C:\\Cafe\u0301\\y.txt"_qs, u"C:\\z.txt"_qs});
    EXPECT_TRUE(outcome.written);
    EXPECT_EQ(outcome.replacedEntries, 3);
    EXPECT_EQ(contentOf("C:\\Liste.txt"), "C:\\Caf\xE9\\y.txt\r\nC:\\Caf\xE9\\?x.txt\r\nC:\\z.txt\r\n"
                                           "C:\\??\\a.txt\r\nC:\\??\\b.txt\r\n" + kFooter);
}

TEST_F(ListFileWriterTest, ManyEntriesArriveWholeAcrossChunks)
{
    QStringList entries;
    QByteArray expected;
    for (int i = 0; i < 40000; ++i) {
        const QString entry = QStringLiteral("C:\\Ordner\\Datei-%1-äöü.txt").arg(i, 6, 10, QChar(u'0'));
        entries << entry;
        expected += "C:\\Ordner\\Datei-" + QByteArray::number(i).rightJustified(6, '0') + "-\xE4\xF6\xFC.txt\r\n";
    }
    ASSERT_TRUE(write("C:\\", "Liste.txt", entries).written);
    EXPECT_EQ(contentOf("C:\\Liste.txt"), expected + kFooter);
}

TEST_F(ListFileWriterTest, ReplacesALongerOldFileCompletely)
{
    m_drives.makeFile("C:\\Daten\\Liste.txt", QByteArray(20000, 'x'));
    const QByteArray hostFile = QFile::encodeName(m_drives.host("C:\\Daten\\Liste.txt"));
    ASSERT_EQ(chmod(hostFile.constData(), 0640), 0);
    ASSERT_TRUE(write("C:\\Daten", "Liste.txt", {"C:\\a.txt"}).written);
    EXPECT_EQ(contentOf("C:\\Daten\\Liste.txt"), "C:\\a.txt\r\n" + kFooter);
    EXPECT_EQ(namesIn(m_drives.host("C:\\Daten")), QStringList{"Liste.txt"});
    struct stat info;
    ASSERT_EQ(stat(hostFile.constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(ListFileWriterTest, TwoWritesOnOneDayGiveTheSameFile)
{
    // The longest name the file system allows still leaves room for the temporary file.
    for (const QString& name : {QStringLiteral("Liste.txt"), QString(251, u'l') + QStringLiteral(".txt")}) {
        SCOPED_TRACE(name.size());
        ASSERT_TRUE(write("C:\\", name, {"C:\\a.txt"}).written);
        const QByteArray first = contentOf("C:\\" + name);
        ASSERT_TRUE(write("C:\\", name, {"C:\\a.txt"}).written);
        EXPECT_EQ(contentOf("C:\\" + name), first);
        EXPECT_EQ(first, "C:\\a.txt\r\n" + kFooter);
    }
    EXPECT_EQ(namesIn(m_drives.cRoot()).size(), 2);
}

TEST_F(ListFileWriterTest, PathJoinsFolderSeparatorAndNameUnchanged)
{
    EXPECT_EQ(ListFileWriter::path("C:\\", "Liste.txt"), "C:\\\\Liste.txt");
    EXPECT_EQ(ListFileWriter::path("D:\\Daten", " a.txt "), "D:\\Daten\\ a.txt ");
    EXPECT_EQ(ListFileWriter::path("C:\\Daten", ""), "C:\\Daten\\");
}

TEST_F(ListFileWriterTest, ANameWithSeparatorsWritesIntoAnExistingSubfolder)
{
    m_drives.makeFolder("D:\\Daten\\sub");
    EXPECT_TRUE(write("D:\\Daten", "sub\\Liste.txt").written);
    EXPECT_EQ(contentOf("D:\\Daten\\sub\\Liste.txt"), kFooter);
}

TEST_F(ListFileWriterTest, DotDotStopsAtTheDriveRoot)
{
    const QString name = QStringLiteral("korvale-%1.txt").arg(getpid());
    m_drives.makeFolder("C:\\Daten");
    EXPECT_TRUE(write("C:\\Daten", "..\\..\\..\\" + name).written);
    EXPECT_EQ(contentOf("C:\\" + name), kFooter);
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(m_drives.cRoot()).path() + u'/' + name));
}

TEST_F(ListFileWriterTest, WritesIntoAFolderWhoseNameIsNotUtf8)
{
    const QByteArray folder = QFile::encodeName(m_drives.cRoot()) + "/Bl\xE4tter";
    ASSERT_EQ(mkdir(folder.constData(), 0755), 0);
    // QTemporaryDir cannot remove a name that is not UTF-8.
    const auto removeFolder = qScopeGuard([&] {
        unlink((folder + "/Liste.txt").constData());
        rmdir(folder.constData());
    });
    EXPECT_TRUE(write(u"C:\\Bl\xDCE4tter"_qs, "Liste.txt", {"C:\\a.txt"}).written);
    const int descriptor = ::open((folder + "/Liste.txt").constData(), O_RDONLY);
    ASSERT_GE(descriptor, 0);
    char buffer[256];
    const ssize_t length = ::read(descriptor, buffer, sizeof buffer);
    ::close(descriptor);
    EXPECT_EQ(QByteArray(buffer, int(length)), "C:\\a.txt\r\n" + kFooter);
}

TEST_F(ListFileWriterTest, FailuresSayWhyAndCreateAndChangeNothing)
{
    m_drives.makeFile("C:\\Daten\\alt.txt", "alt");
    const auto hostOf = [this](const char* path) { return QFile::encodeName(m_drives.host(QString::fromLatin1(path))); };
    ASSERT_EQ(mkfifo(hostOf("C:\\Daten\\Rohr").constData(), 0644), 0);
    for (const auto& [link, target] : {std::pair{"Zur Datei", "alt.txt"}, {"Ins Leere", "fehlt.txt"},
                                       {"Zum Ordner", "."}, {"Zum Rohr", "Rohr"}})
        ASSERT_EQ(symlink(target, (hostOf("C:\\Daten") + '/' + link).constData()), 0);
    struct Case {
        const char* what;
        QString folder;
        QString name;
        WriteFailure failure;
    };
    const QList<Case> cases = {
        {"missing target folder", "C:\\fehlt", "Liste.txt", WriteFailure::FolderMissing},
        {"missing subfolder in the name", "C:\\Daten", "fehlt\\Liste.txt", WriteFailure::FolderMissing},
        {"a file where the folder should be", "C:\\Daten\\alt.txt", "Liste.txt", WriteFailure::FolderMissing},
        {"drive without medium", "E:\\", "Liste.txt", WriteFailure::FolderMissing},
        {"unknown drive", "Q:\\", "Liste.txt", WriteFailure::FolderMissing},
        {"empty name names the folder", "C:\\Daten", "", WriteFailure::InvalidName},
        {"dot", "C:\\Daten", ".", WriteFailure::InvalidName},
        {"dot dot", "C:\\Daten", "..", WriteFailure::InvalidName},
        {"name ending in a separator", "C:\\Daten", "alt.txt\\", WriteFailure::InvalidName},
        {"name the file system refuses", "C:\\Daten", QString(256, u'n'), WriteFailure::InvalidName},
        {"an existing folder", "C:\\", "Daten", WriteFailure::NotARegularFile},
        {"a FIFO", "C:\\Daten", "Rohr", WriteFailure::NotARegularFile},
        {"a link to a file", "C:\\Daten", "Zur Datei", WriteFailure::NotARegularFile},
        {"a link to nothing", "C:\\Daten", "Ins Leere", WriteFailure::NotARegularFile},
        {"a link to a folder", "C:\\Daten", "Zum Ordner", WriteFailure::NotARegularFile},
        {"a link to a FIFO", "C:\\Daten", "Zum Rohr", WriteFailure::NotARegularFile},
    };
    const QStringList before = namesIn(m_drives.host("C:\\Daten"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ListFileOutcome outcome = write(c.folder, c.name, {"C:\\a.txt"});
        EXPECT_FALSE(outcome.written);
        EXPECT_EQ(outcome.failure, c.failure);
        EXPECT_EQ(namesIn(m_drives.cRoot()), QStringList{"Daten"});
        EXPECT_EQ(namesIn(m_drives.host("C:\\Daten")), before);
        EXPECT_EQ(contentOf("C:\\Daten\\alt.txt"), "alt");
    }
    struct stat info;
    ASSERT_EQ(stat(hostOf("C:\\Daten\\Rohr").constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    ASSERT_EQ(lstat(hostOf("C:\\Daten\\Ins Leere").constData(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}

TEST_F(ListFileWriterTest, AReadOnlyListFileStaysAsItWas)
{
    m_drives.makeFile("C:\\Ziel\\Liste.txt", "alt\r\n");
    m_drives.makeFile("C:\\Ziel\\Offen.txt", "alt\r\n");
    const OpenToEveryone everyone(QFile::encodeName(m_drives.cRoot()));
    ASSERT_EQ(chmod(QFile::encodeName(m_drives.host("C:\\Ziel\\Liste.txt")).constData(), 0444), 0);

    // The folder itself may be written: only the file's own right may stop the write.
    const int childResult = runUnprivileged([this] {
        const ListFileOutcome readOnly = write("C:\\Ziel", "Liste.txt", {"C:\\a.txt"});
        const bool writableWritten = write("C:\\Ziel", "Offen.txt", {"C:\\a.txt"}).written;
        return (readOnly.written ? 1 : 0) | (writableWritten ? 2 : 0) | (readOnly.failure == WriteFailure::NoRight ? 4 : 0);
    });
    EXPECT_EQ(childResult, 6);
    EXPECT_EQ(contentOf("C:\\Ziel\\Liste.txt"), "alt\r\n");
    EXPECT_EQ(contentOf("C:\\Ziel\\Offen.txt"), "C:\\a.txt\r\n" + kFooter);
    EXPECT_EQ(namesIn(m_drives.host("C:\\Ziel")), (QStringList{"Liste.txt", "Offen.txt"}));
}

TEST_F(ListFileWriterTest, ALinkPlantedInAStickyFolderIsNeverFollowed)
{
    m_drives.makeFile("C:\\Opfer\\notes.txt", "meine Notizen\n");
    m_drives.makeFolder("C:\\Tmp");
    const OpenToEveryone everyone(QFile::encodeName(m_drives.cRoot()));
    const QByteArray victimFile = QFile::encodeName(m_drives.host("C:\\Opfer\\notes.txt"));
    const QByteArray shared = QFile::encodeName(m_drives.host("C:\\Tmp"));
    // The victim may write the file; the link belongs to the suite's own user.
    ASSERT_EQ(chmod(victimFile.constData(), 0666), 0);
    ASSERT_EQ(chmod(shared.constData(), 01777), 0);
    ASSERT_EQ(symlink(victimFile.constData(), (shared + "/Liste.txt").constData()), 0);

    const int childResult = runUnprivileged([this] {
        const ListFileOutcome outcome = write("C:\\Tmp", "Liste.txt", {"C:\\a.txt"});
        return !outcome.written && outcome.failure == WriteFailure::NotARegularFile ? 0 : 1;
    });
    EXPECT_EQ(childResult, 0);
    EXPECT_EQ(contentOf("C:\\Opfer\\notes.txt"), "meine Notizen\n");
    EXPECT_EQ(namesIn(m_drives.host("C:\\Tmp")), QStringList{"Liste.txt"});
    EXPECT_EQ(QFileInfo(m_drives.host("C:\\Tmp\\Liste.txt")).symLinkTarget(), QFile::decodeName(victimFile));
}

TEST_F(ListFileWriterTest, AWritableFileIsWrittenInPlaceWhereItsFolderRefusesANewOne)
{
    struct Case {
        const char* what;
        QString folder;
        mode_t folderMode;
    };
    // In a sticky folder only the owner may replace the file; a read-only folder takes no new file.
    const QList<Case> cases = {{"read-only folder", "C:\\Geteilt", 0555}, {"sticky folder", "C:\\Tmp", 01777}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_drives.makeFile(c.folder + "\\Liste.txt", QByteArray(5000, 'x'));
        const OpenToEveryone everyone(QFile::encodeName(m_drives.cRoot()));
        const QByteArray folder = QFile::encodeName(m_drives.host(c.folder));
        ASSERT_EQ(chmod(folder.constData(), c.folderMode), 0);
        const int childResult = runUnprivileged([&] { return write(c.folder, "Liste.txt", {"C:\\a.txt"}).written ? 0 : 1; });
        chmod(folder.constData(), 0755);
        EXPECT_EQ(childResult, 0);
        EXPECT_EQ(contentOf(c.folder + "\\Liste.txt"), "C:\\a.txt\r\n" + kFooter);
        EXPECT_EQ(namesIn(m_drives.host(c.folder)), QStringList{"Liste.txt"});
    }
}

// Unmounts when the test ends, however it ends.
class SmallFileSystem {
public:
    explicit SmallFileSystem(const QByteArray& mountPoint)
        : m_mountPoint(mountPoint)
    {
        m_mounted = mount("tmpfs", m_mountPoint.constData(), "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            umount2(m_mountPoint.constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }

private:
    QByteArray m_mountPoint;
    bool m_mounted = false;
};

// Chunks are written while the next ones are made: a failure in the only one or in an early
// one of many ends the write the same way.
TEST_F(ListFileWriterTest, AFullDiskKeepsTheOldListFile)
{
    m_drives.makeFolder("C:\\Voll");
    const SmallFileSystem small(QFile::encodeName(m_drives.host("C:\\Voll")));
    if (!small.mounted())
        GTEST_SKIP() << "cannot mount a 64 KiB tmpfs here (needs root and mount rights): full-disk case not run";
    for (const int count : {5000, 60000}) {
        SCOPED_TRACE(count);
        m_drives.makeFile("C:\\Voll\\Liste.txt", "alt\r\n");
        QStringList entries;
        for (int i = 0; i < count; ++i)
            entries << QStringLiteral("C:\\ein\\recht\\langer\\Pfad\\zu\\einer\\Datei\\Nummer-%1.txt").arg(i);
        const ListFileOutcome outcome = write("C:\\Voll", "Liste.txt", entries);
        EXPECT_FALSE(outcome.written);
        EXPECT_EQ(outcome.failure, WriteFailure::DiskFull);
        EXPECT_EQ(contentOf("C:\\Voll\\Liste.txt"), "alt\r\n");
        EXPECT_EQ(namesIn(m_drives.host("C:\\Voll")), QStringList{"Liste.txt"});
    }
}

} // namespace
