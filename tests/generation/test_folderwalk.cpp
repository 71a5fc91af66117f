#include "generation/generaterun.h"
#include "process/helperthread.h"
#include "readahead/folderreads.h"
#include "support/childchecks.h"
#include "support/childprocess.h"
#include "support/listentries.h"
#include "support/privatemounts.h"
#include "support/qtprinters.h"
#include "support/testdrives.h"
#include "support/testshare.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QScopeGuard>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <stop_token>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// A chain of folders deeper than any host path may be long, so it is made and removed
// name by name, each relative to its parent.
class DeepChain {
public:
    explicit DeepChain(const QByteArray& top)
        : m_folders{::open(top.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)}
    {
    }
    ~DeepChain()
    {
        for (qsizetype level = m_names.size(); level > 0; --level) {
            unlinkat(m_folders[level], "f.txt", 0);
            ::close(m_folders[level]);
            unlinkat(m_folders[level - 1], m_names[level - 1].constData(), AT_REMOVEDIR);
        }
        ::close(m_folders.front());
    }

    // A folder below the deepest one, holding the file f.txt.
    bool addFolder(const QByteArray& name)
    {
        if (mkdirat(m_folders.back(), name.constData(), 0755) != 0)
            return false;
        m_names.push_back(name);
        m_folders.push_back(openat(m_folders[m_names.size() - 1], name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        const int file = openat(m_folders.back(), "f.txt", O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        return file >= 0 && ::close(file) == 0;
    }

private:
    std::vector<int> m_folders;
    std::vector<QByteArray> m_names;
};

// File systems mounted for one test, where this process may mount; gone with the object.
class TestMounts {
public:
    ~TestMounts()
    {
        for (auto target = m_targets.crbegin(); target != m_targets.crend(); ++target)
            umount2(target->constData(), MNT_DETACH);
    }
    bool mount(const QByteArray& target, const char* type)
    {
        if (!PrivateMounts::missingForTheProgram().isEmpty() || ::mount(type, target.constData(), type, 0, nullptr) != 0)
            return false;
        m_targets.push_back(target);
        return true;
    }

private:
    std::vector<QByteArray> m_targets;
};

// Sanitizers reserve address space by the terabyte: no limit on it can hold there.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// From now on the process may take so much more address space than it has now.
bool limitAddressSpace(rlim_t more)
{
    rlim_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = pages * rlim_t(sysconf(_SC_PAGESIZE)) + more;
    const rlimit set{limit, limit};
    return setrlimit(RLIMIT_AS, &set) == 0;
}

// No more files than so many, all told, may be open in this process from now on.
bool limitOpenFiles(rlim_t most)
{
    const rlimit set{most, most};
    return setrlimit(RLIMIT_NOFILE, &set) == 0;
}

int withinAMinute(const std::function<int()>& body) { return runWithin(std::chrono::minutes(1), body); }

// A run's hidden controls, wired as the window's are, so the walk runs here as it runs there.
class FolderWalkTest : public ::testing::Test {
protected:
    // The window's source drive list, which the run's working folder moves.
    FolderWalkTest() { hidden.useDrive1(Drive1); }

    WalkResult run(const QString& source, const QString& pattern = u"*.*"_s, std::stop_token stop = {})
    {
        return FolderWalk::run(hidden.walkControls(), source, pattern, [this] { return subfolders; }, stop);
    }

    void makeFiles(std::initializer_list<const char16_t*> paths)
    {
        for (const char16_t* path : paths)
            drives.makeFile(QString::fromUtf16(path));
    }

    QByteArray hostBytes(const QString& windowsPath) const { return QFile::encodeName(drives.host(windowsPath)); }
    // A run from source into C:\Liste.txt that ends short of something, saying why.
    void checkEndsShort(ChildChecks& check, const QString& source, const QString& reason)
    {
        const GenerateRun::Outcome outcome = hidden.run({source, u"*.*"_s, true, u"C:\\"_s, u"Liste.txt"_s});
        check.holds("not written", !outcome.written);
        check.equal("status", outcome.statusText, u"Ergebnisdatei konnte nicht erzeugt werden. "_s + reason);
        check.equal("result list", List2.ListCount(), qsizetype(0));
    }

    QByteArray fileBytes(const QString& windowsPath) const
    {
        QFile file(drives.host(windowsPath));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
    }

    // File modes do not stop root: the walk runs as "nobody" in a child (after OpenToEveryone
    // and after `prepare`). The answer says what differed from what was expected.
    std::string walkAsNobody(const QString& source, const QStringList& files, const QStringList& queue,
                             qsizetype unreadable, const std::function<bool()>& prepare = [] { return true; })
    {
        return failedChecksIn(runUnprivileged, [&](ChildChecks& check) {
            const bool prepared = prepare();
            check.holds("preparing the child", prepared);
            if (!prepared)
                return;
            const WalkResult result = run(source);
            check.equal("List2", entriesOf(List2), files);
            check.equal("List1", entriesOf(List1), queue);
            check.equal("unreadable folders", result.notes.unreadableFolders, unreadable);
        });
    }

    // For names QFile would not write as they are (not UTF-8, a backslash inside).
    static bool makeHostFile(const QByteArray& hostPath)
    {
        const int descriptor = ::open(hostPath.constData(), O_CREAT | O_WRONLY, 0644);
        return descriptor >= 0 && ::close(descriptor) == 0;
    }

    TestDrives drives;
    DriveList Drive1;
    GenerateRun hidden;
    FolderList& Dir1 = hidden.Dir1();
    FileList& File1 = hidden.File1();
    ListBox& List1 = hidden.List1();
    ListBox& List2 = hidden.List2();
    bool subfolders = true;
};

TEST_F(FolderWalkTest, RootStartFolderJoinsItsFilesWithASingleBackslash)
{
    makeFiles({u"C:\\Liste.txt", u"C:\\Daten\\a.txt"});
    const WalkResult result = run(u"C:\\"_s);
    EXPECT_TRUE(result.sourceRead);
    EXPECT_EQ(entriesOf(List2), QStringList({u"C:\\Daten\\a.txt"_s, u"C:\\Liste.txt"_s}));
    EXPECT_EQ(entriesOf(List1), QStringList({u"C:\\Daten"_s}));
    EXPECT_EQ(result.notes.unreadableFolders, 0);
    EXPECT_EQ(result.notes.leftOutNames, 0);
}

TEST_F(FolderWalkTest, SubfoldersOffListsTheStartFolderOnlyAndLeavesDir1OnItsFirstSubfolder)
{
    makeFiles({u"C:\\s\\x.txt", u"C:\\s\\b\\y.txt", u"C:\\s\\a\\z.txt", u"C:\\s\\a\\deep\\w.txt"});
    subfolders = false;
    const WalkResult result = run(u"C:\\s"_s);
    EXPECT_TRUE(result.sourceRead);
    EXPECT_EQ(entriesOf(List2), QStringList({u"C:\\s\\x.txt"_s}));
    EXPECT_EQ(entriesOf(List1), QStringList({u"C:\\s\\a"_s, u"C:\\s\\b"_s}));
    EXPECT_EQ(Dir1.Path(), u"C:\\s\\a"_s);
    EXPECT_EQ(File1.Path(), u"C:\\s\\a"_s);
    EXPECT_EQ(Drive1.letter(), u'C');
}

TEST_F(FolderWalkTest, SubfoldersOffWithoutSubfoldersLeavesDir1OnTheStartFolder)
{
    makeFiles({u"C:\\s\\x.txt"});
    subfolders = false;
    run(u"C:\\s"_s);
    EXPECT_EQ(entriesOf(List2), QStringList({u"C:\\s\\x.txt"_s}));
    EXPECT_TRUE(entriesOf(List1).isEmpty());
    EXPECT_EQ(Dir1.Path(), u"C:\\s"_s);
}

TEST_F(FolderWalkTest, ThreeLevelsAreSortedTogetherWhileTheQueueGoesLevelByLevel)
{
    makeFiles({u"C:\\t\\Z.txt", u"C:\\t\\B.txt", u"C:\\t\\a\\c.txt", u"C:\\t\\b\\y\\k.txt",
               u"C:\\t\\a\\x\\deep\\m.txt"});
    const WalkResult result = run(u"C:\\t"_s);
    EXPECT_TRUE(result.sourceRead);
    EXPECT_EQ(entriesOf(List2), QStringList({u"C:\\t\\a\\c.txt"_s, u"C:\\t\\a\\x\\deep\\m.txt"_s, u"C:\\t\\B.txt"_s,
                                             u"C:\\t\\b\\y\\k.txt"_s, u"C:\\t\\Z.txt"_s}));
    EXPECT_EQ(entriesOf(List1), QStringList({u"C:\\t\\a"_s, u"C:\\t\\b"_s, u"C:\\t\\a\\x"_s, u"C:\\t\\b\\y"_s,
                                             u"C:\\t\\a\\x\\deep"_s}));
    EXPECT_EQ(Dir1.Path(), u"C:\\t\\a\\x\\deep"_s);
    EXPECT_EQ(File1.Path(), u"C:\\t\\a\\x\\deep"_s);
}

TEST_F(FolderWalkTest, StartFolderWithOnlySubfoldersYieldsTheFilesBelowIt)
{
    makeFiles({u"C:\\s\\eins\\a.txt", u"C:\\s\\zwei\\b.txt"});
    run(u"C:\\s"_s);
    EXPECT_EQ(entriesOf(List2), QStringList({u"C:\\s\\eins\\a.txt"_s, u"C:\\s\\zwei\\b.txt"_s}));
}

TEST_F(FolderWalkTest, PatternThatMatchesNothingGivesAnEmptyListAndCountZero)
{
    makeFiles({u"C:\\s\\a.txt", u"C:\\s\\u\\b.txt"});
    const WalkResult result = run(u"C:\\s"_s, u"*.xyz"_s);
    EXPECT_TRUE(result.sourceRead);
    EXPECT_EQ(List2.ListCount(), 0);
    EXPECT_EQ(FolderWalk::countText(List2.ListCount()), u" 0 Files"_s);
    EXPECT_EQ(entriesOf(List1), QStringList({u"C:\\s\\u"_s}));
}

TEST_F(FolderWalkTest, SecondRunKeepsNothingOfTheFirst)
{
    makeFiles({u"C:\\s\\a.txt", u"C:\\s\\a.doc", u"C:\\s\\u\\b.txt", u"C:\\s\\u\\v\\c.doc"});
    run(u"C:\\s"_s, u"*.txt"_s);
    ASSERT_EQ(entriesOf(List2), QStringList({u"C:\\s\\a.txt"_s, u"C:\\s\\u\\b.txt"_s}));
    ASSERT_EQ(entriesOf(List1), QStringList({u"C:\\s\\u"_s, u"C:\\s\\u\\v"_s}));

    subfolders = false;
    run(u"C:\\s"_s, u"*.doc"_s);
    EXPECT_EQ(entriesOf(List2), QStringList({u"C:\\s\\a.doc"_s}));
    EXPECT_EQ(entriesOf(List1), QStringList({u"C:\\s\\u"_s}));
    EXPECT_TRUE(entriesOf(File1).isEmpty()); // C:\s\u holds b.txt only
}

TEST_F(FolderWalkTest, SecondRunOnTheSameFolderSeesWhatWasCreatedSince)
{
    makeFiles({u"C:\\s\\a.txt"});
    run(u"C:\\s"_s);
    ASSERT_EQ(Dir1.Path(), u"C:\\s"_s); // Dir1 and File1 still stand there: only a re-read finds the new ones
    makeFiles({u"C:\\s\\b.txt", u"C:\\s\\neu\\c.txt"});
    run(u"C:\\s"_s);
    EXPECT_EQ(entriesOf(List2), QStringList({u"C:\\s\\a.txt"_s, u"C:\\s\\b.txt"_s, u"C:\\s\\neu\\c.txt"_s}));
    EXPECT_EQ(FolderWalk::countText(List2.ListCount()), u" 3 Files"_s);
}

TEST_F(FolderWalkTest, QueuedFolderRemovedBeforeItsTurnIsSkipped)
{
    makeFiles({u"C:\\q\\a\\1.txt", u"C:\\q\\b\\2.txt", u"C:\\q\\c\\3.txt"});
    // Entering the first queued folder removes the second one behind the walk's back.
    QObject::connect(&Dir1, &FolderList::Change, &Dir1, [this] {
        if (Dir1.Path() == u"C:\\q\\a")
            QDir(drives.host(u"C:\\q\\b"_s)).removeRecursively();
    });
    const WalkResult result = run(u"C:\\q"_s);
    EXPECT_EQ(entriesOf(List2), QStringList({u"C:\\q\\a\\1.txt"_s, u"C:\\q\\c\\3.txt"_s}));
    EXPECT_EQ(entriesOf(List1), QStringList({u"C:\\q\\a"_s, u"C:\\q\\b"_s, u"C:\\q\\c"_s}));
    EXPECT_EQ(Dir1.Path(), u"C:\\q\\c"_s);
    EXPECT_EQ(result.notes.unreadableFolders, 0);
}

TEST_F(FolderWalkTest, LastQueuedFolderRemovedLeavesDir1WhereItWas)
{
    makeFiles({u"C:\\q\\a\\1.txt", u"C:\\q\\b\\2.txt"});
    QObject::connect(&Dir1, &FolderList::Change, &Dir1, [this] {
        if (Dir1.Path() == u"C:\\q\\a")
            QDir(drives.host(u"C:\\q\\b"_s)).removeRecursively();
    });
    run(u"C:\\q"_s);
    EXPECT_EQ(entriesOf(List2), QStringList({u"C:\\q\\a\\1.txt"_s}));
    EXPECT_EQ(Dir1.Path(), u"C:\\q\\a"_s);
    EXPECT_EQ(File1.Path(), u"C:\\q\\a"_s);
}

TEST_F(FolderWalkTest, SwitchIsAskedAnewAtEveryStepAfterTheMove)
{
    makeFiles({u"C:\\s\\a\\1.txt", u"C:\\s\\b\\2.txt", u"C:\\s\\c\\3.txt"});
    // Turned off while the walk stands in the second queued folder: that folder was
    // entered but nothing of it is listed.
    QObject::connect(&Dir1, &FolderList::Change, &Dir1, [this] {
        if (Dir1.Path() == u"C:\\s\\b")
            subfolders = false;
    });
    run(u"C:\\s"_s);
    EXPECT_EQ(entriesOf(List2), QStringList({u"C:\\s\\a\\1.txt"_s}));
    EXPECT_EQ(Dir1.Path(), u"C:\\s\\b"_s);
}

TEST_F(FolderWalkTest, StopAskedForInAFolderEntersNoFurtherOne)
{
    makeFiles({u"C:\\s\\a\\1.txt", u"C:\\s\\b\\2.txt", u"C:\\s\\c\\3.txt"});
    std::stop_source stop;
    QStringList entered;
    QObject::connect(&Dir1, &FolderList::Change, &Dir1, [&] {
        entered.append(Dir1.Path());
        if (Dir1.Path() == u"C:\\s\\a")
            stop.request_stop();
    });
    run(u"C:\\s"_s, u"*.*"_s, stop.get_token());
    EXPECT_EQ(entered, QStringList({u"C:\\s"_s, u"C:\\s\\a"_s}));
    EXPECT_EQ(Dir1.Path(), u"C:\\s\\a"_s);
}

// A hidden entry is never listed, so nothing is asked about it: a hidden link to a folder
// that cannot be looked at leaves the folder holding it read in full.
TEST_F(FolderWalkTest, HiddenLinkIntoAFolderThatCannotBeLookedAtIsNeverAskedAbout)
{
    makeFiles({u"C:\\v\\a.txt", u"C:\\geheim\\innen\\g.txt"});
    ASSERT_EQ(symlink(hostBytes(u"C:\\geheim\\innen"_s).constData(), hostBytes(u"C:\\v\\.verweis"_s).constData()), 0);
    const OpenToEveryone everyone(QFile::encodeName(drives.cRoot()));
    ASSERT_EQ(chmod(hostBytes(u"C:\\geheim"_s).constData(), 0700), 0);
    EXPECT_EQ(walkAsNobody(u"C:\\v"_s, {u"C:\\v\\a.txt"_s}, {}, 0), "");
    chmod(hostBytes(u"C:\\geheim"_s).constData(), 0755);
}

// Shares that lie or do not answer, served by the test itself in mounts of its own.
TEST_F(FolderWalkTest, SharesThatLieOrDoNotAnswerAreWalkedInFull)
{
    if (const QByteArray why = TestShare::unavailableReason(); !why.isEmpty())
        GTEST_SKIP() << why.constData();
    drives.makeFolder(u"C:\\share"_s);
    const QByteArray mountPoint = hostBytes(u"C:\\share"_s);
    struct Case {
        const char* what;
        QList<QByteArray> entries;
        TestShare::Faults faults;
        QString source;
        QStringList files;
    };
    const Case cases[] = {
        {"every folder the same inode number",
         {"f1.txt", "a/f2.txt", "a/b/f3.txt", "a/b/c/f4.txt", "d/f5.txt", "d/e/f6.txt"},
         {true, {}, {}},
         u"C:\\share"_s,
         {u"C:\\share\\a\\b\\c\\f4.txt"_s, u"C:\\share\\a\\b\\f3.txt"_s, u"C:\\share\\a\\f2.txt"_s,
          u"C:\\share\\d\\e\\f6.txt"_s, u"C:\\share\\d\\f5.txt"_s, u"C:\\share\\f1.txt"_s}},
        {"a hidden link into a folder that never answers",
         {"daten/a.txt", "daten/.tot -> " + mountPoint + "/tot/innen", "tot/innen/"},
         {false, "tot", {}},
         u"C:\\share\\daten"_s,
         {u"C:\\share\\daten\\a.txt"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto within = [](const std::function<int()>& body) { return runWithin(std::chrono::seconds(20), body); };
        EXPECT_EQ(failedChecksIn(within,
                                 [&](ChildChecks& check) {
                                     const QByteArray notOwn = PrivateMounts::enter();
                                     check.equal("mounts of its own", notOwn, QByteArray());
                                     const TestShare share(mountPoint, c.entries, c.faults);
                                     check.holds("share mounted", share.mounted());
                                     if (!notOwn.isEmpty() || !share.mounted())
                                         return;
                                     const WalkResult result = run(c.source);
                                     check.equal("List2", entriesOf(List2), c.files);
                                     check.equal("links not followed", result.notes.linksNotFollowed, qsizetype(0));
                                     check.equal("unreadable", result.notes.unreadableFolders, qsizetype(0));
                                 }),
                  "");
    }
}

TEST_F(FolderWalkTest, LinkedFoldersAreWalkedUnderTheirNamesButNeverRoundInCircles)
{
    makeFiles({u"C:\\l\\f.txt", u"C:\\l\\a\\g.txt", u"C:\\daten\\d.txt"});
    const QList<std::pair<QByteArray, QString>> links = {
        {hostBytes(u"C:\\l"_s), u"C:\\l\\a\\hoch"_s},    // an ancestor
        {".", u"C:\\l\\a\\selbst"_s},                    // the folder holding it
        {"kreis", u"C:\\l\\kreis"_s},                      // itself: leads nowhere
        {"../f.txt", u"C:\\l\\a\\verweis.txt"_s},        // a file
        {hostBytes(u"C:\\daten"_s), u"C:\\l\\daten1"_s}, // two links to one folder elsewhere
        {hostBytes(u"C:\\daten"_s), u"C:\\l\\a\\daten2"_s},
        {hostBytes(u"C:\\l"_s), u"C:\\daten\\zurueck"_s}, // back up, seen through either of them
    };
    for (const auto& [target, link] : links)
        ASSERT_EQ(symlink(target.constData(), hostBytes(link).constData()), 0) << link.toStdString();

    const WalkResult result = run(u"C:\\l"_s);
    EXPECT_EQ(entriesOf(List2), QStringList({u"C:\\l\\a\\daten2\\d.txt"_s, u"C:\\l\\a\\g.txt"_s,
                                             u"C:\\l\\a\\verweis.txt"_s, u"C:\\l\\daten1\\d.txt"_s,
                                             u"C:\\l\\f.txt"_s}));
    EXPECT_EQ(result.notes.linksNotFollowed, 4);
    EXPECT_EQ(result.notes.unreadableFolders, 0);

    // A linked folder as the source: its files under the link's name; the link back up
    // leads to a folder on the source's own path.
    const WalkResult fromLink = run(u"C:\\l\\daten1"_s);
    EXPECT_TRUE(fromLink.sourceRead);
    EXPECT_EQ(entriesOf(List2), QStringList({u"C:\\l\\daten1\\d.txt"_s}));
    EXPECT_EQ(fromLink.notes.linksNotFollowed, 1);
}

// Two links on each of 26 levels to the next make 2^26 ways down: a folder reached through
// a link once more lists its files and real subfolders but follows no link below it, so
// the list stays below (links + 1) times what the tree holds, and a limit of memory holds.
TEST_F(FolderWalkTest, ALatticeOfLinksStaysWithinItsLinksTimesItsEntries)
{
    constexpr int kLevels = 26;
    for (int level = 0; level < kLevels; ++level) {
        const QString folder = u"C:\\gitter\\L%1"_s.arg(level);
        drives.makeFile(folder + u"\\f.txt"_s);
        if (level + 1 == kLevels)
            break;
        for (const char* link : {"\\a", "\\b"})
            ASSERT_EQ(symlink("../L" + QByteArray::number(level + 1), hostBytes(folder + QLatin1String(link))), 0);
    }
    const qsizetype links = 2 * (kLevels - 1);
    EXPECT_EQ(failedChecksIn(withinAMinute,
                             [&](ChildChecks& check) {
                                 if (!kSanitized)
                                     check.holds("address space limited", limitAddressSpace(rlim_t(1) << 30));
                                 const WalkResult result = run(u"C:\\gitter"_s);
                                 check.equal("shortage", result.shortage, Shortage::None);
                                 check.holds("entries below (links + 1) times the distinct ones",
                                             List2.ListCount() >= kLevels && List2.ListCount() < (links + 1) * kLevels);
                                 // L2 is entered through L1\a first: through L0\a\a its files are
                                 // listed once more, and no link in it is followed.
                                 check.equal("first entry", List2.List(0), u"C:\\gitter\\L0\\a\\a\\f.txt"_s);
                             }),
              "");
}

// A folder mounted again below itself leads back up as a link to it would.
TEST_F(FolderWalkTest, AFolderMountedBelowItselfIsNotEnteredAgain)
{
    makeFiles({u"C:\\b\\f.txt", u"C:\\b\\x\\g.txt"});
    drives.makeFolder(u"C:\\b\\x\\m"_s);
    EXPECT_EQ(failedChecksIn(withinAMinute,
                             [&](ChildChecks& check) {
                                 const QByteArray notOwn = PrivateMounts::enter();
                                 if (!notOwn.isEmpty()) {
                                     check.equal("mounts of its own", notOwn, QByteArray());
                                     return;
                                 }
                                 check.holds("mounted", mount(hostBytes(u"C:\\b"_s).constData(),
                                                              hostBytes(u"C:\\b\\x\\m"_s).constData(), nullptr,
                                                              MS_BIND, nullptr) == 0);
                                 const WalkResult result = run(u"C:\\b"_s);
                                 check.equal("List2", entriesOf(List2),
                                             QStringList({u"C:\\b\\f.txt"_s, u"C:\\b\\x\\g.txt"_s}));
                                 check.equal("links not followed", result.notes.linksNotFollowed, qsizetype(1));
                             }),
              "");
}

// The walk's open folders keep within the process's limit of open files, whatever it is.
TEST_F(FolderWalkTest, AFewOpenFilesStillListEveryFolder)
{
    for (int top = 0; top < 20; ++top) {
        for (int below = 0; below < 15; ++below)
            drives.makeFile(u"C:\\viele\\o%1\\u%2\\f.txt"_s.arg(top).arg(below));
    }
    const OpenToEveryone everyone(QFile::encodeName(drives.cRoot()));
    for (const rlim_t most : {32, 16}) {
        SCOPED_TRACE(most);
        EXPECT_EQ(failedChecksIn(runUnprivileged,
                                 [&](ChildChecks& check) {
                                     check.holds("limited", limitOpenFiles(most));
                                     const WalkResult result = run(u"C:\\viele"_s);
                                     check.equal("shortage", result.shortage, Shortage::None);
                                     check.equal("files listed", List2.ListCount(), qsizetype(300));
                                     check.equal("folders queued", List1.ListCount(), qsizetype(320));
                                     check.equal("unreadable", result.notes.unreadableFolders, qsizetype(0));
                                 }),
                  "");
    }
}

// Where no file can be opened at all, the run says so and leaves the old list file alone.
TEST_F(FolderWalkTest, NoFileToSpareEndsTheRunSayingSo)
{
    makeFiles({u"C:\\q\\a\\1.txt"});
    drives.makeFile(u"C:\\Liste.txt"_s, "alt");
    EXPECT_EQ(failedChecksIn(withinAMinute,
                             [&](ChildChecks& check) {
                                 const int lowestFree = dup(0);
                                 close(lowestFree);
                                 check.holds("limited", limitOpenFiles(rlim_t(lowestFree)));
                                 checkEndsShort(check, u"C:\\q"_s,
                                                u"Es können nicht genügend Dateien zugleich geöffnet werden."_s);
                             }),
              "");
    EXPECT_EQ(fileBytes(u"C:\\Liste.txt"_s), QByteArray("alt"));
}

// A share whose folder listing never ends, under a limit of memory: the run ends saying so,
// the program goes on, and the old list file stays as it was.
TEST_F(FolderWalkTest, AListingWithoutEndEndsTheRunForWantOfMemory)
{
    if (kSanitized)
        GTEST_SKIP() << "a limit of address space cannot hold under a sanitizer";
    if (const QByteArray why = TestShare::unavailableReason(); !why.isEmpty())
        GTEST_SKIP() << why.constData();
    drives.makeFolder(u"C:\\share"_s);
    drives.makeFile(u"C:\\Liste.txt"_s, "alt");
    const QByteArray mountPoint = hostBytes(u"C:\\share"_s);
    EXPECT_EQ(failedChecksIn(withinAMinute,
                             [&](ChildChecks& check) {
                                 const QByteArray notOwn = PrivateMounts::enter();
                                 check.equal("mounts of its own", notOwn, QByteArray());
                                 const TestShare share(mountPoint, {"a.txt"}, {false, {}, "endlos"});
                                 check.holds("share mounted", share.mounted());
                                 if (!notOwn.isEmpty() || !share.mounted())
                                     return;
                                 check.holds("address space limited", limitAddressSpace(rlim_t(160) << 20));
                                 checkEndsShort(check, u"C:\\share"_s, u"Nicht genügend Arbeitsspeicher für diese Liste."_s);
                             }),
              "");
    EXPECT_EQ(fileBytes(u"C:\\Liste.txt"_s), QByteArray("alt"));
}

TEST_F(FolderWalkTest, FortyThousandFilesAreCountedAndListedInFull)
{
    constexpr int kFiles = 40000;
    drives.makeFolder(u"C:\\viele\\mehr"_s);
    const QByteArray folder = hostBytes(u"C:\\viele"_s);
    QStringList expected;
    for (int i = 0; i < kFiles; ++i) {
        // Every tenth file one level down, so the queue's folders add to a list past 32767.
        const QString name = u"f%1.txt"_s.arg(i, 5, 10, QLatin1Char('0'));
        const bool below = i % 10 == 9;
        const QByteArray host = folder + (below ? "/mehr/" : "/") + name.toLatin1();
        ASSERT_TRUE(makeHostFile(host));
        expected.append((below ? u"C:\\viele\\mehr\\"_s : u"C:\\viele\\"_s) + name);
    }
    std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });

    run(u"C:\\viele"_s);
    ASSERT_EQ(List2.ListCount(), kFiles);
    EXPECT_EQ(FolderWalk::countText(List2.ListCount()), u" 40000 Files"_s);
    EXPECT_EQ(entriesOf(List2), expected);
}

TEST_F(FolderWalkTest, FoldersBeyondTheHostPathLimitAreListedInFull)
{
    drives.makeFolder(u"C:\\tief"_s);
    QStringList expected;
    {
        DeepChain chain(hostBytes(u"C:\\tief"_s));
        QString folder = u"C:\\tief"_s;
        for (int level = 0; level < 30; ++level) {
            const QByteArray name = QByteArray::number(level + 10) + QByteArray(198, 'x');
            ASSERT_TRUE(chain.addFolder(name));
            folder += u'\\' + QString::fromLatin1(name);
            expected.append(folder + u"\\f.txt"_s);
        }
        ASSERT_GT(expected.last().size(), 6000);
        const WalkResult result = run(u"C:\\tief"_s);
        EXPECT_EQ(result.notes.unreadableFolders, 0);
    }
    QStringList listed = entriesOf(List2);
    listed.sort();
    expected.sort();
    EXPECT_EQ(listed, expected);
}

TEST_F(FolderWalkTest, FolderSwappedAfterItWasQueuedIsFollowedAsALinkUnderTheLoopRuleAndReadAnewAsAFolder)
{
    if (FolderReads::walkReadsHere() != ReadAhead::WalkReads::Never)
        GTEST_SKIP() << "with one processor the walk reads each folder at its turn: none is read ahead to be swapped";
    makeFiles({u"C:\\s\\oben.txt", u"C:\\s\\a\\1.txt", u"C:\\s\\b\\2.txt", u"C:\\s\\c\\3.txt"});
    drives.makeFolder(u"C:\\weg"_s);
    // c is swapped only once the walk has opened it to read it ahead of its turn.
    const int watch = inotify_init1(IN_CLOEXEC);
    const auto closeWatch = qScopeGuard([watch] { close(watch); });
    ASSERT_GE(inotify_add_watch(watch, hostBytes(u"C:\\s\\c"_s).constData(), IN_OPEN), 0);
    bool swapped = false;
    QObject::connect(&Dir1, &FolderList::Change, &Dir1, [this, watch, &swapped] {
        if (Dir1.Path() != u"C:\\s\\a")
            return;
        pollfd opened{watch, POLLIN, 0};
        if (poll(&opened, 1, 10000) != 1)
            return;
        swapped = true;
        rename(hostBytes(u"C:\\s\\b"_s).constData(), hostBytes(u"C:\\weg\\b"_s).constData());
        symlink(hostBytes(u"C:\\s"_s).constData(), hostBytes(u"C:\\s\\b"_s).constData());
        rename(hostBytes(u"C:\\s\\c"_s).constData(), hostBytes(u"C:\\weg\\c"_s).constData());
        makeFiles({u"C:\\s\\c\\neu.txt"});
    });
    const WalkResult result = run(u"C:\\s"_s);
    ASSERT_TRUE(swapped) << "the walk did not open C:\\s\\c ahead of its turn within 10 s: nothing was swapped";
    EXPECT_EQ(entriesOf(List2),
              QStringList({u"C:\\s\\a\\1.txt"_s, u"C:\\s\\c\\neu.txt"_s, u"C:\\s\\oben.txt"_s}));
    EXPECT_EQ(entriesOf(List1), QStringList({u"C:\\s\\a"_s, u"C:\\s\\b"_s, u"C:\\s\\c"_s}));
    EXPECT_EQ(result.notes.linksNotFollowed, 1);
    EXPECT_EQ(result.notes.unreadableFolders, 0);
    EXPECT_EQ(Dir1.Path(), u"C:\\s\\c"_s);
}

TEST_F(FolderWalkTest, RamAndTmpfsMountsAreWalkedProcIsSkipped)
{
    for (const char* name : {"ram", "tmp", "proc"})
        drives.makeFolder(u"C:\\m\\"_s + QLatin1String(name));
    TestMounts mounts;
    if (!mounts.mount(hostBytes(u"C:\\m\\ram"_s), "ramfs") || !mounts.mount(hostBytes(u"C:\\m\\tmp"_s), "tmpfs")
        || !mounts.mount(hostBytes(u"C:\\m\\proc"_s), "proc"))
        GTEST_SKIP() << "this process may not mount file systems; run the suite as root to check mount points";
    makeFiles({u"C:\\m\\oben.txt", u"C:\\m\\ram\\r.txt", u"C:\\m\\tmp\\t.txt"});
    const WalkResult result = run(u"C:\\m"_s);
    EXPECT_EQ(entriesOf(List2), QStringList({u"C:\\m\\oben.txt"_s, u"C:\\m\\ram\\r.txt"_s, u"C:\\m\\tmp\\t.txt"_s}));
    EXPECT_EQ(entriesOf(List1), QStringList({u"C:\\m\\ram"_s, u"C:\\m\\tmp"_s}));
    EXPECT_EQ(result.notes.unreadableFolders, 0);
}

TEST_F(FolderWalkTest, MissingStartFolderCollectsNothing)
{
    makeFiles({u"C:\\s\\a.txt", u"C:\\s\\u\\b.txt"});
    run(u"C:\\s"_s);
    ASSERT_EQ(List2.ListCount(), 2);

    for (const QString& source : {u"C:\\fehlt"_s, u"E:\\"_s, u"C:\\s\\a.txt"_s, QString()}) {
        SCOPED_TRACE(source.toStdString());
        const WalkResult result = run(source);
        EXPECT_FALSE(result.sourceRead);
        EXPECT_EQ(List2.ListCount(), 0);
        EXPECT_EQ(List1.ListCount(), 0);
        EXPECT_EQ(FolderWalk::countText(List2.ListCount()), u" 0 Files"_s);
    }
    EXPECT_EQ(FolderWalk::sourceUnreadableText(u"C:\\fehlt"_s),
              u"Quellverzeichnis C:\\fehlt konnte nicht gelesen werden."_s);
}

// File modes do not stop root, so these run as "nobody" in a child, which says what differed.
TEST_F(FolderWalkTest, UnreadableSubfolderIsCountedAndTheWalkGoesOn)
{
    makeFiles({u"C:\\u\\oben.txt", u"C:\\u\\offen\\z.txt", u"C:\\u\\zu\\x.txt", u"C:\\u\\zu\\tief\\y.txt"});
    const OpenToEveryone everyone(QFile::encodeName(drives.cRoot()));
    ASSERT_EQ(chmod(hostBytes(u"C:\\u\\zu"_s).constData(), 0), 0);

    const std::string failures = failedChecksIn(runUnprivileged, [this](ChildChecks& check) {
        const WalkResult result = run(u"C:\\u"_s);
        check.holds("source read", result.sourceRead);
        check.equal("List2", entriesOf(List2), QStringList({u"C:\\u\\oben.txt"_s, u"C:\\u\\offen\\z.txt"_s}));
        check.equal("List1", entriesOf(List1), QStringList({u"C:\\u\\offen"_s, u"C:\\u\\zu"_s}));
        check.equal("unreadable folders", result.notes.unreadableFolders, qsizetype(1));
        // Which one, by the path the host knows it under.
        const QList<LeftOutEntries::Entry>& named = result.notes.entries.kept();
        check.holds("C:\\u\\zu named as unreadable",
                    named.size() == 1 && named[0].kind == LeftOutEntries::Kind::Unreadable
                        && named[0].hostPath == hostBytes(u"C:\\u\\zu"_s));
    });
    chmod(hostBytes(u"C:\\u\\zu"_s).constData(), 0755);
    EXPECT_EQ(failures, "");
}

TEST_F(FolderWalkTest, FolderThatCanBeListedButNotEnteredGivesItsFilesAndCountsItsSubfolders)
{
    makeFiles({u"C:\\r\\oben.txt", u"C:\\r\\lesbar\\a.txt", u"C:\\r\\lesbar\\unten\\b.txt"});
    const OpenToEveryone everyone(QFile::encodeName(drives.cRoot()));
    ASSERT_EQ(chmod(hostBytes(u"C:\\r\\lesbar"_s).constData(), 0444), 0);
    EXPECT_EQ(walkAsNobody(u"C:\\r"_s, {u"C:\\r\\lesbar\\a.txt"_s, u"C:\\r\\oben.txt"_s},
                           {u"C:\\r\\lesbar"_s, u"C:\\r\\lesbar\\unten"_s}, 1),
              "");
    chmod(hostBytes(u"C:\\r\\lesbar"_s).constData(), 0755);
}

TEST_F(FolderWalkTest, WithoutASecondThreadTheWalkReadsEveryFolderItself)
{
    makeFiles({u"C:\\t\\a.txt", u"C:\\t\\u\\b.txt", u"C:\\t\\u\\v\\c.txt"});
    const OpenToEveryone everyone(QFile::encodeName(drives.cRoot()));
    const auto noMoreThreads = [] {
        const rlimit none{0, 0};
        return setrlimit(RLIMIT_NPROC, &none) == 0;
    };
    EXPECT_EQ(walkAsNobody(u"C:\\t"_s, {u"C:\\t\\a.txt"_s, u"C:\\t\\u\\b.txt"_s, u"C:\\t\\u\\v\\c.txt"_s},
                           {u"C:\\t\\u"_s, u"C:\\t\\u\\v"_s}, 0, noMoreThreads),
              "");
    // Root is not held to that limit: the same where every start of a thread is refused.
    HelperThread::refuseStarts(true);
    const auto allow = qScopeGuard([] { HelperThread::refuseStarts(false); });
    run(u"C:\\t"_s);
    EXPECT_EQ(entriesOf(List2), QStringList({u"C:\\t\\a.txt"_s, u"C:\\t\\u\\b.txt"_s, u"C:\\t\\u\\v\\c.txt"_s}));
    EXPECT_EQ(entriesOf(List1), QStringList({u"C:\\t\\u"_s, u"C:\\t\\u\\v"_s}));
}

TEST_F(FolderWalkTest, UnreadableStartFolderCollectsNothing)
{
    makeFiles({u"C:\\u\\oben.txt", u"C:\\u\\unter\\z.txt"});
    const OpenToEveryone everyone(QFile::encodeName(drives.cRoot()));
    ASSERT_EQ(chmod(hostBytes(u"C:\\u"_s).constData(), 0), 0);

    const std::string failures = failedChecksIn(runUnprivileged, [this](ChildChecks& check) {
        const WalkResult result = run(u"C:\\u"_s);
        check.holds("source not read", !result.sourceRead);
        check.equal("List2", entriesOf(List2), QStringList());
        check.equal("List1", entriesOf(List1), QStringList());
    });
    chmod(hostBytes(u"C:\\u"_s).constData(), 0755);
    EXPECT_EQ(failures, "");
}

TEST_F(FolderWalkTest, NamesThatCannotStandInALineAreLeftOutAndCounted)
{
    makeFiles({u"C:\\n\\gut.txt", u"C:\\n\\schräg\\strich.txt", u"C:\\n\\zeilen\numbruch.txt"});
    // Host names holding a backslash: a file, and a folder whose file therefore cannot be listed.
    const QByteArray folder = hostBytes(u"C:\\n"_s);
    ASSERT_TRUE(makeHostFile(folder + "/rück\\strich.txt"));
    ASSERT_EQ(mkdir((folder + "/ordner\\mit").constData(), 0755), 0);
    ASSERT_TRUE(makeHostFile(folder + "/ordner\\mit/drin.txt"));

    const WalkResult result = run(u"C:\\n"_s);
    EXPECT_EQ(entriesOf(List2), QStringList({u"C:\\n\\gut.txt"_s, u"C:\\n\\schräg\\strich.txt"_s}));
    EXPECT_EQ(entriesOf(List1), QStringList({u"C:\\n\\schräg"_s}));
    EXPECT_EQ(result.notes.leftOutNames, 3);

    // Without subfolders the folder would not have been entered anyway.
    subfolders = false;
    EXPECT_EQ(run(u"C:\\n"_s).notes.leftOutNames, 2);
}

TEST_F(FolderWalkTest, NameThatIsNotUtf8IsListedAndWalked)
{
    drives.makeFolder(u"C:\\b"_s);
    const QByteArray folder = hostBytes(u"C:\\b"_s) + "/Ma\xe4rchen";
    ASSERT_EQ(mkdir(folder.constData(), 0755), 0);
    ASSERT_TRUE(makeHostFile(folder + "/\xf6l.txt"));

    const WalkResult result = run(u"C:\\b"_s);
    const QString escapedFolder = u"C:\\b\\Ma"_s + QChar(0xDCE4) + u"rchen"_s;
    EXPECT_EQ(entriesOf(List2), QStringList({escapedFolder + u"\\"_s + QChar(0xDCF6) + u"l.txt"_s}));
    EXPECT_EQ(result.notes.leftOutNames, 0);
    // QTemporaryDir cannot remove names that are not UTF-8.
    unlink((folder + "/\xf6l.txt").constData());
    rmdir(folder.constData());
}

// The same path text on a new drive table names another host folder: nothing of the old
// table may be walked.
TEST(FolderWalkDrives, SamePathOnANewDriveTableIsWalkedThere)
{
    auto walk = [] {
        GenerateRun hidden;
        FolderWalk::run(hidden.walkControls(), u"C:\\s"_s, u"*.*"_s, [] { return true; });
        return entriesOf(hidden.List2());
    };
    {
        TestDrives first;
        first.makeFile(u"C:\\s\\erste.txt"_s);
        ASSERT_EQ(walk(), QStringList({u"C:\\s\\erste.txt"_s}));
    }
    TestDrives second;
    second.makeFile(u"C:\\s\\zweite.txt"_s);
    EXPECT_EQ(walk(), QStringList({u"C:\\s\\zweite.txt"_s}));
}

// The walks above show " 0 Files", " 3 Files" and " 40000 Files"; one file is no singular,
// and a large count has no separators.
TEST(FolderWalkText, CountOfOneAndALargeCount)
{
    EXPECT_EQ(FolderWalk::countText(1), u" 1 Files"_s);
    EXPECT_EQ(FolderWalk::countText(1234567), u" 1234567 Files"_s);
}

} // namespace
