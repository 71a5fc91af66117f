#include "files/filereplacement.h"
#include "process/exitguard.h"
#include "support/childchecks.h"
#include "support/childprocess.h"
#include "support/fatstick.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <iostream>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kName = "Liste.txt";
const QByteArray kCopyName = ".Korvale~alt~Liste.txt";

// Lines as a list has them, numbered, so that any mix of two contents shows.
QByteArray lines(const char* word, int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += word + (' ' + QByteArray::number(i).rightJustified(6, '0')) + "\r\n";
    return text;
}

const QByteArray kOld = lines("alt", 20000);
const QByteArray kNew = lines("neu", 12000);

QByteArray contentOf(const QByteArray& path)
{
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList namesIn(const QByteArray& folder)
{
    return QDir(QFile::decodeName(folder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

bool makeFile(const QByteArray& path, const QByteArray& content)
{
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

// As the list-file writer writes: room first where the file is written in place, then the
// content in two parts, so that a hold after the first finds the write half done.
bool writeWhole(const QByteArray& folder, const QByteArray& content)
{
    FileReplacement file(folder, kName);
    const qsizetype half = content.size() / 2;
    return file.isOpen() && (!file.writesInPlace() || file.reserve(content.size())) && file.write(content.first(half))
        && file.write(content.sliced(half)) && file.commit();
}

QByteArray readWhole(const OldContent& old)
{
    QByteArray read;
    char buffer[4096];
    for (ssize_t got = 0; (got = old.readAt(off_t(read.size()), buffer, sizeof buffer)) > 0;)
        read.append(buffer, got);
    return read;
}

constexpr int kForcedExitCode = 42;

// Writes kNew into the folder on a thread of a child process, whose main thread asks for a
// forced exit once the first bytes are written; the write is held there for good, or for a
// moment. How the child ended: kTimedOut where the exit waited for a write held for good.
int forceExitDuringWrite(const QByteArray& folder, bool holdsForGood)
{
    return runWithin(std::chrono::seconds(20), [&]() -> int {
        std::atomic<bool> held = false;
        FileReplacement::holdAfterFirstWrite([&] {
            held = true;
            do
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
            while (holdsForGood);
        });
        std::thread([&] { writeWhole(folder, kNew); }).detach();
        while (!held)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ExitGuard::exitNow(kForcedExitCode);
    });
}

class FileReplacementTest : public ::testing::Test {
protected:
    void TearDown() override { FileReplacement::holdAfterFirstWrite({}); }

    // A fresh folder for each case, which "nobody" can reach.
    QByteArray folder(const char* name, mode_t mode = 0755)
    {
        const QByteArray path = QFile::encodeName(m_root.path()) + '/' + name;
        mkdir(path.constData(), mode);
        chmod(path.constData(), mode);
        return path;
    }

    // The checks, in a child with a FAT stick mounted (see FatStick::unavailable()).
    std::string failedChecksOnAStick(const std::function<void(ChildChecks&, FatStick&)>& checks)
    {
        const QByteArray place = folder("Stick");
        return failedChecksIn(runInChild, [&](ChildChecks& check) {
            FatStick stick(place);
            check.holds("mounted", stick.mounted());
            if (stick.mounted())
                checks(check, stick);
        });
    }

    QTemporaryDir m_root;
    OpenToEveryone m_everyone{QFile::encodeName(m_root.path())};
};

} // namespace

// A write over the old file that is killed part way leaves the old bytes in a copy beside
// it, with the file's owner, group and mode where they can be carried and private to the
// writer where not; the next write puts them back before it does anything else.
TEST_F(FileReplacementTest, AKilledWriteOverTheOldFileIsUndoneByTheNextWrite)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to make another person's file: killed in-place writes not run";
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    const struct {
        const char* what;
        mode_t folderMode;
        bool secondLink;
        uid_t writer;
        uid_t copyOwner;
        mode_t copyMode;
    } cases[] = {
        {"a second hard link", 0755, true, 0, 0, 0640},
        {"another person's file in a shared folder", 01777, false, nobody->pw_uid, nobody->pw_uid, 0600},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray place = folder(c.what, c.folderMode);
        const QByteArray list = place + '/' + kName;
        ASSERT_TRUE(makeFile(list, kOld));
        ASSERT_EQ(chown(list.constData(), 0, nobody->pw_gid), 0);
        ASSERT_EQ(chmod(list.constData(), c.writer == 0 ? 0640 : 0666), 0);
        QStringList names{kName};
        if (c.secondLink) {
            ASSERT_EQ(link(list.constData(), (place + "/Zweitname.txt").constData()), 0);
            names << "Zweitname.txt";
        }
        const auto asWriter = c.writer == 0 ? runInChild : runUnprivileged;

        const int killed = asWriter([&] {
            FileReplacement file(place, kName);
            if (!file.writesInPlace() || !file.reserve(kNew.size()))
                return 1;
            FileReplacement::holdAfterFirstWrite([] { raise(SIGKILL); });
            file.write(kNew.first(4000));
            return 2;
        });
        ASSERT_EQ(killed, -1);
        EXPECT_EQ(contentOf(list), kNew.first(4000) + kOld.sliced(4000));
        EXPECT_EQ(contentOf(place + '/' + kCopyName), kOld);
        struct stat copy;
        ASSERT_EQ(stat((place + '/' + kCopyName).constData(), &copy), 0);
        EXPECT_EQ(copy.st_uid, c.copyOwner);
        EXPECT_EQ(copy.st_mode & 07777, c.copyMode);
        if (c.copyOwner == 0) {
            EXPECT_EQ(copy.st_gid, nobody->pw_gid);
        }

        const std::string failures = failedChecksIn(asWriter, [&](ChildChecks& check) {
            const FileReplacement file(place, kName);
            check.holds("the old content was put back", file.restoredOldContent());
            check.holds("the file holds the old content", contentOf(list) == kOld);
            check.equal("names", namesIn(place), names);
        });
        EXPECT_EQ(failures, "");
        if (c.secondLink) {
            EXPECT_EQ(contentOf(place + "/Zweitname.txt"), kOld);
        }
    }
}

// Only a temporary file with the marker, of this user, that no write holds and that has not
// changed for an hour is taken for one a killed write left behind.
TEST_F(FileReplacementTest, AWriteRemovesOnlyTheTemporariesSurelyLeftBehind)
{
    enum class Kind { File, Fifo, Link };
    const struct {
        QByteArray name;
        Kind kind;
        bool others;
        int minutesOld;
        bool locked;
        bool removed;
    } entries[] = {
        {".Korvale~neu~a1b2c3d4", Kind::File, false, 61, false, true},
        {".Korvale~neu~00000000", Kind::File, false, 60 * 24 * 400, false, true},
        {".Korvale~neu~e5f6g7h8", Kind::File, false, 59, false, false},
        {".Korvale~neu~gesperrt", Kind::File, false, 61, true, false},
        {".Korvale~neu~fremde00", Kind::File, true, 61, false, false},
        {".Korvale~neu~fifo0000", Kind::Fifo, false, 61, false, false},
        {".Korvale~neu~link0000", Kind::Link, false, 61, false, false},
        {".Korvale~alt~Andere.txt", Kind::File, false, 61, false, false},
        {".Korvale~neu~A1B2C3D4", Kind::File, false, 61, false, false},
        {".Korvale~neu~a1b2c3d", Kind::File, false, 61, false, false},
        {".Korvale~neu~a1b2c3d45", Kind::File, false, 61, false, false},
        {".Korvalea1b2c3d4", Kind::File, false, 61, false, false},
    };
    const QByteArray place = folder("Ziel");
    const QByteArray linked = folder("anderswo") + "/Notizen.txt";
    ASSERT_TRUE(makeFile(linked, "meine Notizen"));
    int lock = -1;
    for (const auto& entry : entries) {
        if (entry.others && geteuid() != 0)
            continue;
        const QByteArray path = place + '/' + entry.name;
        if (entry.kind == Kind::Fifo) {
            ASSERT_EQ(mkfifo(path.constData(), 0600), 0);
        }
        else if (entry.kind == Kind::Link)
            ASSERT_EQ(symlink(linked.constData(), path.constData()), 0);
        else
            ASSERT_TRUE(makeFile(path, "halb"));
        if (entry.others) {
            ASSERT_EQ(chown(path.constData(), getpwnam("nobody")->pw_uid, uid_t(-1)), 0);
        }
        const timespec times[2] = {{time(nullptr) - entry.minutesOld * 60, 0}, {time(nullptr) - entry.minutesOld * 60, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW), 0);
        if (entry.locked) {
            lock = open(path.constData(), O_RDONLY | O_CLOEXEC);
            ASSERT_EQ(flock(lock, LOCK_EX), 0);
        }
    }

    ASSERT_TRUE(writeWhole(place, kNew));
    close(lock);

    for (const auto& entry : entries) {
        if (!entry.others || geteuid() == 0) {
            EXPECT_EQ(namesIn(place).contains(QString::fromLatin1(entry.name)), !entry.removed) << entry.name.constData();
        }
    }
    EXPECT_EQ(contentOf(linked), "meine Notizen");
    EXPECT_EQ(contentOf(place + '/' + kName), kNew);
}

// A new file on its way to its name changes nothing of the old one: a forced exit does not
// wait for it (its share may have stopped answering). Bytes of the old file being written
// over are waited for, so the file is whole.
TEST_F(FileReplacementTest, AForcedExitWaitsOnlyForAWriteOverTheOldFile)
{
    const struct {
        const char* what;
        bool secondLink;
        bool holdsForGood;
        QByteArray afterExit;
    } cases[] = {
        {"a new file held for good", false, true, kOld},
        {"the old file written over", true, false, kNew},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray place = folder(c.what);
        ASSERT_TRUE(makeFile(place + '/' + kName, kOld));
        if (c.secondLink) {
            ASSERT_EQ(link((place + '/' + kName).constData(), (place + "/Zweitname.txt").constData()), 0);
        }
        EXPECT_EQ(forceExitDuringWrite(place, c.holdsForGood), kForcedExitCode);
        EXPECT_EQ(contentOf(place + '/' + kName), c.afterExit);
        EXPECT_FALSE(namesIn(place).contains(QString::fromLatin1(kCopyName)));
    }
}

// Whoever compares the old list with the new reads the old bytes through one interface,
// however the file is written: never the bytes being written over.
TEST_F(FileReplacementTest, TheOldContentReadsAsItWasWhileTheFileIsWritten)
{
    const struct {
        const char* what;
        bool oldFile;
        bool secondLink;
        bool folderRefusesNewFiles;
        bool inPlace;
        bool onlyInMemory;
    } cases[] = {
        {"no file before", false, false, false, false, false},
        {"the file replaced", true, false, false, false, false},
        {"written over, the copy beside it", true, true, false, true, false},
        {"written over, the copy in memory", true, false, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.folderRefusesNewFiles && geteuid() != 0) {
            std::cout << "not run without root (a folder that refuses nobody): " << c.what << '\n';
            continue;
        }
        const QByteArray place = folder(c.what);
        const QByteArray list = place + '/' + kName;
        if (c.oldFile) {
            ASSERT_TRUE(makeFile(list, kOld));
        }
        if (c.secondLink) {
            ASSERT_EQ(link(list.constData(), (place + "/Zweitname.txt").constData()), 0);
        }
        if (c.folderRefusesNewFiles) {
            ASSERT_EQ(chown(list.constData(), getpwnam("nobody")->pw_uid, uid_t(-1)), 0);
            ASSERT_EQ(chmod(place.constData(), 0755), 0);
        }
        const auto asWriter = c.folderRefusesNewFiles ? runUnprivileged : runInChild;
        const std::string failures = failedChecksIn(asWriter, [&](ChildChecks& check) {
            FileReplacement file(place, kName);
            check.equal("in place", file.writesInPlace(), c.inPlace);
            check.holds("room made", !file.writesInPlace() || file.reserve(kNew.size()));
            check.equal("only in memory", file.oldContentOnlyInMemory(), c.onlyInMemory);
            FileReplacement::holdAfterFirstWrite([&] {
                const OldContent old = file.oldContent();
                check.equal("an old file", old.exists(), c.oldFile);
                check.holds("the old bytes read back", readWhole(old) == (c.oldFile ? kOld : QByteArray()));
            });
            check.holds("written", file.write(kNew) && file.commit());
        });
        EXPECT_EQ(failures, "");
        EXPECT_EQ(contentOf(list), kNew);
    }
}

// A FAT stick keeps no owners: every file has the same ones, so a new list replaces the old
// by rename, whatever fchown and fchmod answer; what the driver then holds is the new list.
TEST_F(FileReplacementTest, ListsOnAFatStickAreReplacedWhole)
{
    if (const QString missing = FatStick::unavailable(); !missing.isEmpty())
        GTEST_SKIP() << qPrintable(missing) << ": FAT stick case not run";
    EXPECT_EQ(failedChecksOnAStick([&](ChildChecks& check, FatStick& stick) {
        const QByteArray list = stick.mountPoint() + '/' + kName;
        for (const QByteArray& content : {kOld, lines("kurz", 100), lines("lang", 90000)}) {
            check.holds("written", writeWhole(stick.mountPoint(), content));
            check.holds("mounted again", stick.remount());
            check.equal("length", contentOf(list).size(), content.size());
            check.holds("the list as written", contentOf(list) == content);
            check.equal("names", namesIn(stick.mountPoint()), QStringList{kName});
        }
    }),
              "");
}

// A stick has no anonymous files: a write held for good in its named temporary file (a
// stick pulled, a share gone) does not hold a forced exit, which leaves the temporary beside
// the whole old list; a later write removes it once an hour has passed.
TEST_F(FileReplacementTest, AWriteEndedOnAFatStickLeavesATemporaryALaterWriteRemoves)
{
    if (const QString missing = FatStick::unavailable(); !missing.isEmpty())
        GTEST_SKIP() << qPrintable(missing) << ": FAT stick case not run";
    EXPECT_EQ(failedChecksOnAStick([&](ChildChecks& check, FatStick& stick) {
        const QByteArray list = stick.mountPoint() + '/' + kName;
        check.holds("first list written", writeWhole(stick.mountPoint(), kOld));
        check.equal("ended by force", forceExitDuringWrite(stick.mountPoint(), true), kForcedExitCode);
        QStringList names = namesIn(stick.mountPoint());
        check.equal("two names", names.size(), qsizetype(2));
        const QString temporary = names.first();
        check.holds("a marked temporary", temporary.startsWith(u".Korvale~neu~") && temporary.size() == 21);
        check.holds("the old list whole", contentOf(list) == kOld);

        check.holds("second list written", writeWhole(stick.mountPoint(), kNew));
        check.equal("names within the hour", namesIn(stick.mountPoint()), QStringList{temporary, kName});
        const QByteArray path = stick.mountPoint() + '/' + QFile::encodeName(temporary);
        const timespec anHourAgo[2] = {{time(nullptr) - 3700, 0}, {time(nullptr) - 3700, 0}};
        check.holds("made older", utimensat(AT_FDCWD, path.constData(), anHourAgo, 0) == 0);
        check.holds("third list written", writeWhole(stick.mountPoint(), kOld));
        check.equal("names after the hour", namesIn(stick.mountPoint()), QStringList{kName});
    }),
              "");
}
