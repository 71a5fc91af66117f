#include "files/chunkedoutput.h"
#include "generation/listfilewriter.h"
#include "listing/listbox.h"
#include "process/helperthread.h"
#include "support/childchecks.h"
#include "support/smallfilesystem.h"
#include "support/testdrives.h"
#include "support/testusers.h"
#include "support/unprivileged.h"
#include "text/windows1252.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>

#include <csignal>
#include <fcntl.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/xattr.h>
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
    ListFileOutcome write(const QString& folder, const QString& name, const QStringList& entries = {},
                          const std::function<void()>& oldListOnlyInMemory = {},
                          const EntryComparison::Where* compareWith = nullptr)
    {
        m_list.Clear();
        for (const QString& entry : entries)
            m_list.AddItem(entry);
        return ListFileWriter::write(folder, name, m_list, kToday, kGerman, oldListOnlyInMemory, compareWith);
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

// Chunks are written on a thread of their own while the next are made, or on the caller's
// thread where no other can start: the bytes are the same.
TEST_F(ListFileWriterTest, ManyEntriesArriveWholeAcrossChunks)
{
    QStringList entries;
    QByteArray expected;
    for (int i = 0; i < 100000; ++i) {
        const QString entry = QStringLiteral("C:\\Ordner\\Datei-%1-äöü.txt").arg(i, 6, 10, QChar(u'0'));
        entries << entry;
        expected += "C:\\Ordner\\Datei-" + QByteArray::number(i).rightJustified(6, '0') + "-\xE4\xF6\xFC.txt\r\n";
    }
    ASSERT_GT(expected.size(), 2 * qsizetype(ChunkedOutput::kChunkSize));
    for (const bool withThreads : {true, false}) {
        SCOPED_TRACE(withThreads ? "a thread for the writes" : "no thread to start");
        HelperThread::refuseStarts(!withThreads);
        const auto allow = qScopeGuard([] { HelperThread::refuseStarts(false); });
        ASSERT_TRUE(write("C:\\", "Liste.txt", entries).written);
        EXPECT_EQ(contentOf("C:\\Liste.txt"), expected + kFooter);
    }
}

// An access list in the kernel's form: the owner rw, user 4242 r, the group r, the mask r, others nothing.
QByteArray accessList()
{
    QByteArray list("\x02\0\0\0", 4);
    const auto entry = [&list](quint16 tag, quint16 permissions, quint32 id) {
        list.append(reinterpret_cast<const char*>(&tag), 2).append(reinterpret_cast<const char*>(&permissions), 2);
        list.append(reinterpret_cast<const char*>(&id), 4);
    };
    entry(0x01, 6, quint32(-1));
    entry(0x02, 4, 4242);
    entry(0x04, 4, quint32(-1));
    entry(0x10, 4, quint32(-1));
    entry(0x20, 0, quint32(-1));
    return list;
}

// The new file takes the old one's place with its rights: mode, access list, own attributes.
TEST_F(ListFileWriterTest, ReplacesALongerOldFileCompletely)
{
    m_drives.makeFile("C:\\Daten\\Liste.txt", QByteArray(20000, 'x'));
    const QByteArray hostFile = QFile::encodeName(m_drives.host("C:\\Daten\\Liste.txt"));
    ASSERT_EQ(chmod(hostFile.constData(), 0640), 0);
    const QByteArray list = accessList();
    const bool withAttributes
        = setxattr(hostFile.constData(), "system.posix_acl_access", list.constData(), size_t(list.size()), 0) == 0
        && setxattr(hostFile.constData(), "user.herkunft", "Korvale", 7, 0) == 0;
    ASSERT_TRUE(write("C:\\Daten", "Liste.txt", {"C:\\a.txt"}).written);
    EXPECT_EQ(contentOf("C:\\Daten\\Liste.txt"), "C:\\a.txt\r\n" + kFooter);
    EXPECT_EQ(namesIn(m_drives.host("C:\\Daten")), QStringList{"Liste.txt"});
    struct stat info;
    ASSERT_EQ(stat(hostFile.constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    if (!withAttributes)
        GTEST_SKIP() << "this file system takes no access list or user attribute: only the mode was checked";
    char value[256];
    const ssize_t length = getxattr(hostFile.constData(), "system.posix_acl_access", value, sizeof value);
    EXPECT_EQ(QByteArray(value, int(std::max<ssize_t>(length, 0))), list);
    EXPECT_EQ(getxattr(hostFile.constData(), "user.herkunft", value, sizeof value), 7);
}

// The code page has Latin digits only: a locale that writes others gets its short date with
// Latin digits and without what the code page lacks (the direction marks), instead of a line
// of '?'. Every locale with Latin digits writes its date as it always did.
TEST_F(ListFileWriterTest, TheDateLineHasLatinDigitsInEveryLocale)
{
    const auto dateLine = [](const QLocale& locale) { return ListFileWriter::footer(kToday, locale).split('\n').at(2).chopped(1); };
    const QList<std::pair<const char*, QByteArray>> examples = {
        {"fa_IR", "2024/3/5"}, {"ar_EG", "5/3/2024"}, {"bn_BD", "5/3/24"}, {"my_MM", "05-03-24"},
        {"ne_NP", "24/3/5"},   {"mr_IN", "5/3/24"},   {"ps_AF", "2024/3/5"}, {"de_DE", "05.03.24"},
    };
    for (const auto& [name, date] : examples)
        EXPECT_EQ(dateLine(QLocale(QString::fromLatin1(name))), date) << name;
    const QRegularExpression latinDate(QStringLiteral("^([0-9]+)[/.-]([0-9]+)[/.-]([0-9]+)$"));
    for (const QLocale& locale : QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        const QByteArray date = dateLine(locale);
        if (locale.zeroDigit() == u"0") {
            QByteArray asToday;
            Windows1252::append(locale.toString(kToday, QLocale::ShortFormat), asToday);
            EXPECT_EQ(date, asToday) << qPrintable(locale.name());
            continue;
        }
        const QRegularExpressionMatch match = latinDate.match(QString::fromLatin1(date));
        ASSERT_TRUE(match.hasMatch()) << qPrintable(locale.name()) << ": " << date.constData();
        QList<int> numbers = {match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt()};
        std::sort(numbers.begin(), numbers.end());
        EXPECT_TRUE(numbers == QList<int>({3, 5, 24}) || numbers == QList<int>({3, 5, 2024})) << qPrintable(locale.name());
    }
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
    const std::string failures = failedChecksIn(runUnprivileged, [this](ChildChecks& check) {
        const ListFileOutcome readOnly = write("C:\\Ziel", "Liste.txt", {"C:\\a.txt"});
        check.equal("Liste.txt written", readOnly.written, false);
        check.equal("its failure", readOnly.failure, WriteFailure::NoRight);
        check.equal("Offen.txt written", write("C:\\Ziel", "Offen.txt", {"C:\\a.txt"}).written, true);
    });
    EXPECT_EQ(failures, "");
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

    const std::string failures = failedChecksIn(runUnprivileged, [this](ChildChecks& check) {
        const ListFileOutcome outcome = write("C:\\Tmp", "Liste.txt", {"C:\\a.txt"});
        check.equal("written", outcome.written, false);
        check.equal("failure", outcome.failure, WriteFailure::NotARegularFile);
    });
    EXPECT_EQ(failures, "");
    EXPECT_EQ(contentOf("C:\\Opfer\\notes.txt"), "meine Notizen\n");
    EXPECT_EQ(namesIn(m_drives.host("C:\\Tmp")), QStringList{"Liste.txt"});
    EXPECT_EQ(QFileInfo(m_drives.host("C:\\Tmp\\Liste.txt")).symLinkTarget(), QFile::decodeName(victimFile));
}

// A read-only folder takes no copy of the old bytes either: they are kept in memory, and the
// run is told, so that the person is warned while the write goes on.
TEST_F(ListFileWriterTest, AWritableFileIsWrittenInPlaceWhereItsFolderRefusesANewOne)
{
    struct Case {
        const char* what;
        QString folder;
        mode_t folderMode;
        bool onlyInMemory;
    };
    // In a sticky folder only the owner may replace the file; a read-only folder takes no new file.
    const QList<Case> cases = {{"read-only folder", "C:\\Geteilt", 0555, true}, {"sticky folder", "C:\\Tmp", 01777, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_drives.makeFile(c.folder + "\\Liste.txt", QByteArray(5000, 'x'));
        const OpenToEveryone everyone(QFile::encodeName(m_drives.cRoot()));
        const QByteArray folder = QFile::encodeName(m_drives.host(c.folder));
        ASSERT_EQ(chmod(folder.constData(), c.folderMode), 0);
        const std::string failures = failedChecksIn(runUnprivileged, [&](ChildChecks& check) {
            bool toldOnlyInMemory = false;
            const auto told = [&] { toldOnlyInMemory = true; };
            check.equal("written", write(c.folder, "Liste.txt", {"C:\\a.txt"}, told).written, true);
            check.equal("told the old list is in memory only", toldOnlyInMemory, c.onlyInMemory);
        });
        chmod(folder.constData(), 0755);
        EXPECT_EQ(failures, "");
        EXPECT_EQ(contentOf(c.folder + "\\Liste.txt"), "C:\\a.txt\r\n" + kFooter);
        EXPECT_EQ(namesIn(m_drives.host(c.folder)), QStringList{"Liste.txt"});
    }
}

QStringList longEntries(int count)
{
    QStringList entries;
    for (int i = 0; i < count; ++i)
        entries << QStringLiteral("C:\\ein\\recht\\langer\\Pfad\\zu\\einer\\Datei\\Nummer-%1.txt").arg(i);
    return entries;
}

// Two people of one group take turns writing into the group's folder: the one whose file it
// is replaces it, the other writes it in place; either way it stays the first one's, with
// the group and mode it had.
TEST_F(ListFileWriterTest, TwoPeopleOfOneGroupTakeTurnsInTheirSharedFolder)
{
    const TestUsers users(2);
    if (!users.made())
        GTEST_SKIP() << "cannot make users and a group here (needs root and useradd): shared-folder case not run";
    const OpenToEveryone everyone(QFile::encodeName(m_drives.cRoot()));
    for (const mode_t folderMode : {mode_t(0775), mode_t(02775)}) {
        SCOPED_TRACE(folderMode);
        m_drives.makeFile("C:\\Team\\Liste.txt", "alt\r\n");
        const QByteArray folder = QFile::encodeName(m_drives.host("C:\\Team"));
        const QByteArray file = folder + "/Liste.txt";
        ASSERT_EQ(chown(folder.constData(), 0, users.sharedGroup()), 0);
        ASSERT_EQ(chmod(folder.constData(), folderMode), 0);
        ASSERT_EQ(chown(file.constData(), users.uid(0), users.sharedGroup()), 0);
        ASSERT_EQ(chmod(file.constData(), 0664), 0);
        for (const int turn : {1, 0, 1, 0}) {
            SCOPED_TRACE(turn);
            const QString entry = QStringLiteral("C:\\Lauf-%1.txt").arg(turn);
            EXPECT_EQ(users.runAs(turn, [&] { return write("C:\\Team", "Liste.txt", {entry}).written ? 0 : 1; }), 0);
            EXPECT_EQ(contentOf("C:\\Team\\Liste.txt"), entry.toLatin1() + "\r\n" + kFooter);
            struct stat info;
            ASSERT_EQ(stat(file.constData(), &info), 0);
            EXPECT_EQ(info.st_uid, users.uid(0));
            EXPECT_EQ(info.st_gid, users.sharedGroup());
            EXPECT_EQ(info.st_mode & 07777, 0664u);
            EXPECT_EQ(namesIn(QFile::decodeName(folder)), QStringList{"Liste.txt"});
        }
    }
}

// Until the new list is complete it has no name: while a write is held after its first
// bytes, the folder shows only what was there before.
TEST_F(ListFileWriterTest, AWriteUnderWayLeavesNoNameInTheFolder)
{
    for (const bool oldFile : {false, true}) {
        SCOPED_TRACE(oldFile);
        m_drives.makeFolder("C:\\Ziel");
        // The user's own list file, so that it is replaced, not written in place.
        if (oldFile) {
            m_drives.makeFile("C:\\Ziel\\Liste.txt", "alt\r\n");
            const passwd* nobody = getpwnam("nobody");
            ASSERT_NE(nobody, nullptr);
            if (geteuid() == 0) {
                ASSERT_EQ(chown(QFile::encodeName(m_drives.host("C:\\Ziel\\Liste.txt")).constData(), nobody->pw_uid,
                                nobody->pw_gid),
                          0);
            }
        }
        const QStringList before = namesIn(m_drives.host("C:\\Ziel"));
        const QByteArray contentBefore = contentOf("C:\\Ziel\\Liste.txt");
        const OpenToEveryone everyone(QFile::encodeName(m_drives.cRoot()));
        // The folder is looked at from within the write, so no second thread is about when
        // the child is started; and the list is one chunk, so the child starts none either.
        const std::string failures = failedChecksIn(runUnprivileged, [&](ChildChecks& check) {
            QStringList namesWhileHeld;
            QByteArray contentWhileHeld;
            FileReplacement::holdAfterFirstWrite([&] {
                namesWhileHeld = namesIn(m_drives.host("C:\\Ziel"));
                contentWhileHeld = contentOf("C:\\Ziel\\Liste.txt");
            });
            check.equal("written", write("C:\\Ziel", "Liste.txt", longEntries(10000)).written, true);
            check.equal("names while held", namesWhileHeld, before);
            check.holds("the content while held is the old one", contentWhileHeld == contentBefore);
        });
        EXPECT_EQ(failures, "");
        EXPECT_EQ(namesIn(m_drives.host("C:\\Ziel")), QStringList{"Liste.txt"});
        EXPECT_TRUE(contentOf("C:\\Ziel\\Liste.txt").endsWith(kFooter));
        QFile::remove(m_drives.host("C:\\Ziel\\Liste.txt"));
    }
}

// Chunks are written while the next ones are made: a failure in the only one or in one
// after the first (on the writer's thread, or on the comparison's where an old list is
// replaced) ends the write the same way, and compares nothing.
TEST_F(ListFileWriterTest, AFullDiskKeepsTheOldListFile)
{
    struct Case {
        int count;
        QByteArray diskSize;
        bool firstChunkWritten;
    };
    const EntryComparison::Where where{"C:", QString(), QString()};
    for (const bool oldIsAList : {false, true}) {
        for (const Case& c : {Case{5000, "64k", false}, Case{60000, "1536k", true}}) {
            SCOPED_TRACE(testing::Message() << c.count << (oldIsAList ? " over a list" : " over another file"));
            m_drives.makeFolder("C:\\Voll");
            const SmallFileSystem small(QFile::encodeName(m_drives.host("C:\\Voll")), c.diskSize);
            if (!small.mounted())
                GTEST_SKIP() << "cannot mount a small tmpfs here (needs root and mount rights): full-disk case not run";
            if (oldIsAList)
                ASSERT_TRUE(write("C:\\Voll", "Liste.txt", {"C:\\alt.txt"}).written);
            else
                m_drives.makeFile("C:\\Voll\\Liste.txt", "alt\r\n");
            const QByteArray before = contentOf("C:\\Voll\\Liste.txt");
            bool firstChunkWritten = false;
            FileReplacement::holdAfterFirstWrite([&] { firstChunkWritten = true; });
            const ListFileOutcome outcome = write("C:\\Voll", "Liste.txt", longEntries(c.count), {}, &where);
            FileReplacement::holdAfterFirstWrite({});
            EXPECT_EQ(firstChunkWritten, c.firstChunkWritten);
            EXPECT_FALSE(outcome.written);
            EXPECT_EQ(outcome.failure, WriteFailure::DiskFull);
            EXPECT_FALSE(outcome.changes.has_value());
            EXPECT_EQ(contentOf("C:\\Voll\\Liste.txt"), before);
            EXPECT_EQ(namesIn(m_drives.host("C:\\Voll")), QStringList{"Liste.txt"});
        }
    }
}

// The folder (root's) takes no new file from the user, so the user's list file is written
// where it stands: only once the new list is sure to fit, and a write that fails part way
// (here at a file size limit) puts the old bytes back.
TEST_F(ListFileWriterTest, TheInPlaceWriteNeverLosesTheOldList)
{
    m_drives.makeFolder("C:\\Voll");
    const QByteArray folder = QFile::encodeName(m_drives.host("C:\\Voll"));
    const SmallFileSystem small(folder, "1m");
    if (!small.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root and mount rights): in-place cases not run";
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    const OpenToEveryone everyone(QFile::encodeName(m_drives.cRoot()));
    ASSERT_EQ(chmod(folder.constData(), 0755), 0);
    QByteArray old;
    for (int i = 0; i < 900; ++i)
        old += "alt " + QByteArray::number(i).rightJustified(4, '0') + "\r\n";
    struct Case {
        const char* what;
        int count;
        rlim_t fileSizeLimit;
        bool written;
        WriteFailure failure;
    };
    const QList<Case> cases = {
        {"no room", 30000, RLIM_INFINITY, false, WriteFailure::DiskFull},
        {"fails part way", 3000, 50000, false, WriteFailure::DiskFull},
        {"room enough", 3000, RLIM_INFINITY, true, WriteFailure::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_drives.makeFile("C:\\Voll\\Liste.txt", old);
        ASSERT_EQ(chown((folder + "/Liste.txt").constData(), nobody->pw_uid, nobody->pw_gid), 0);
        const QStringList entries = longEntries(c.count);
        const std::string failures = failedChecksIn(runUnprivileged, [&](ChildChecks& check) {
            const rlimit limit{c.fileSizeLimit, c.fileSizeLimit};
            signal(SIGXFSZ, SIG_IGN);
            check.holds("the file size limited", setrlimit(RLIMIT_FSIZE, &limit) == 0);
            const ListFileOutcome outcome = write("C:\\Voll", "Liste.txt", entries);
            check.equal("written", outcome.written, c.written);
            check.equal("failure", outcome.failure, c.failure);
        });
        EXPECT_EQ(failures, "");
        if (c.written) {
            m_drives.makeFolder("C:\\Vergleich");
            ASSERT_TRUE(write("C:\\Vergleich", "Liste.txt", entries).written);
            EXPECT_EQ(contentOf("C:\\Voll\\Liste.txt"), contentOf("C:\\Vergleich\\Liste.txt"));
        } else {
            EXPECT_EQ(contentOf("C:\\Voll\\Liste.txt"), old);
        }
        struct stat info;
        ASSERT_EQ(stat((folder + "/Liste.txt").constData(), &info), 0);
        EXPECT_EQ(info.st_uid, nobody->pw_uid);
        EXPECT_EQ(namesIn(m_drives.host("C:\\Voll")), QStringList{"Liste.txt"});
    }
}

} // namespace
