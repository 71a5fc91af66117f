#include "listing/filelist.h"
#include "listing/folderlist.h"
#include "listing/listbox.h"
#include "mounts/neverwalkedmounts.h"
#include "walk/folderhandles.h"
#include "walk/folderscan.h"
#include "support/listentries.h"
#include "support/testdrives.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QScopeGuard>

#include <algorithm>
#include <random>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// What the folder and the file list show of one folder: the rules they share.
namespace {

// Host entries are made by raw name, since some of them cannot be written as a path.
class HostEntries {
public:
    explicit HostEntries(const QString& folder)
        : m_folder(QFile::encodeName(folder) + '/')
    {
    }

    bool folder(const QByteArray& name) const { return mkdir(path(name), 0755) == 0; }
    bool file(const QByteArray& name) const
    {
        const int descriptor = open(path(name), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        return descriptor >= 0 && close(descriptor) == 0;
    }
    bool link(const QByteArray& target, const QByteArray& name) const
    {
        return symlink(target.constData(), path(name)) == 0;
    }
    bool fifo(const QByteArray& name) const { return mkfifo(path(name), 0644) == 0; }
    // QTemporaryDir cannot remove a name that is not UTF-8.
    void remove(const QByteArray& name) const
    {
        if (unlink(path(name)) != 0)
            rmdir(path(name));
    }

private:
    const char* path(const QByteArray& name) const
    {
        m_buffer = m_folder + name;
        return m_buffer.constData();
    }

    QByteArray m_folder;
    mutable QByteArray m_buffer;
};

class FolderScanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const HostEntries c(drives.cRoot());
        ASSERT_TRUE(c.folder("Daten") && c.folder(".versteckt") && c.folder("caf\xE9"));
        ASSERT_TRUE(c.file("caf\xE9/innen.txt"));
        ASSERT_TRUE(c.folder("mit\\Rueckstrich") && c.folder("zwei\nZeilen") && c.folder("wagen\rruecklauf"));
        ASSERT_TRUE(c.file("Liste.txt") && c.file(".profile") && c.file("Notiz"));
        ASSERT_TRUE(c.file("mit\\Rueckstrich.txt") && c.file("zwei\nZeilen.txt"));
        ASSERT_TRUE(c.file("caf\xE9.txt"));
        ASSERT_TRUE(c.link("Liste.txt", "zur-liste") && c.link("Daten", "zu-daten") && c.link("fehlt", "ins-leere"));
        ASSERT_TRUE(c.link(".profile", "zum-versteckten") && c.link("/proc", "zu-proc") && c.link("selbst", "selbst"));
        ASSERT_TRUE(c.fifo("warteschlange"));
        ASSERT_TRUE(c.fifo("warteschlange.txt"));
        folders.Refresh();
        files.Refresh();
    }

    void TearDown() override
    {
        const HostEntries c(drives.cRoot());
        for (const char* name : {"caf\xE9/innen.txt", "caf\xE9", "caf\xE9.txt"})
            c.remove(name);
    }

    TestDrives drives;
    FolderList folders;
    FileList files;
};

TEST_F(FolderScanTest, FolderListShowsVisibleFoldersAndLinksToThemAndCountsUnwritableNames)
{
    ASSERT_TRUE(folders.setPath(u"C:\\"_s));
    EXPECT_EQ(entriesOf(folders), QStringList({u"C:\\caf\xDCE9"_s, u"C:\\Daten"_s, u"C:\\zu-daten"_s}));
    EXPECT_EQ(folders.leftOutNames(), 3);
    EXPECT_FALSE(folders.readFailed());
}

TEST_F(FolderScanTest, FileListShowsOnlyFilesAndLinksToFilesAndCountsUnwritableNames)
{
    ASSERT_TRUE(files.setPath(u"C:\\"_s));
    EXPECT_EQ(entriesOf(files), QStringList({u"caf\xDCE9.txt"_s, u"Liste.txt"_s, u"Notiz"_s,
                                             u"zum-versteckten"_s, u"zur-liste"_s}));
    EXPECT_EQ(files.leftOutNames(), 2);
    EXPECT_FALSE(files.readFailed());
}

TEST_F(FolderScanTest, NameThatIsNotUtf8CanBeEnteredAndItsFilesListed)
{
    ASSERT_TRUE(folders.setPath(u"C:\\"_s));
    const QString latin1Folder = folders.List(0);
    ASSERT_TRUE(folders.setPath(latin1Folder));
    EXPECT_EQ(folders.Path(), u"C:\\caf\xDCE9"_s);
    EXPECT_EQ(folders.ListCount(), 0);
    EXPECT_FALSE(folders.readFailed());

    ASSERT_TRUE(files.setPath(latin1Folder));
    EXPECT_EQ(entriesOf(files), QStringList({u"innen.txt"_s}));
}

TEST_F(FolderScanTest, BothListsOrderByNameLetterCaseBrokenTiesCaseSensitively)
{
    drives.makeFolder(u"C:\\Ordnung"_s);
    const HostEntries ordnung(drives.host(u"C:\\Ordnung"_s));
    for (const char* name : {"b", "B", "a", "Ä", "A"}) {
        ASSERT_TRUE(ordnung.folder(name));
        ASSERT_TRUE(ordnung.file(QByteArray(name) + ".txt"));
    }
    ASSERT_TRUE(folders.setPath(u"C:\\Ordnung"_s));
    EXPECT_EQ(entriesOf(folders), QStringList({u"C:\\Ordnung\\A"_s, u"C:\\Ordnung\\a"_s, u"C:\\Ordnung\\B"_s,
                                               u"C:\\Ordnung\\b"_s, u"C:\\Ordnung\\Ä"_s}));
    ASSERT_TRUE(files.setPath(u"C:\\Ordnung"_s));
    EXPECT_EQ(entriesOf(files), QStringList({u"A.txt"_s, u"a.txt"_s, u"B.txt"_s, u"b.txt"_s, u"Ä.txt"_s}));
}

// Names are sorted from the host's bytes: as their text would sort, also where they share
// eight bytes and more, differ only past the first byte that is not ASCII, or are no UTF-8.
TEST_F(FolderScanTest, NamesSortAsTheirTextWhateverTheirBytes)
{
    drives.makeFolder(u"C:\\Reihe"_s);
    const HostEntries reihe(drives.host(u"C:\\Reihe"_s));
    const QByteArray names[] = {"Zebra", "_unter", "ABCDEFGHy", "abcdefghx", "abcdefghX", "f", "caf\xC3", "caf\xC3\xA9"};
    for (const QByteArray& name : names)
        ASSERT_TRUE(reihe.file(name));
    const auto removeOddName = qScopeGuard([&] { reihe.remove("caf\xC3"); });
    ASSERT_TRUE(files.setPath(u"C:\\Reihe"_s));
    EXPECT_EQ(entriesOf(files), QStringList({u"_unter"_s, u"abcdefghX"_s, u"abcdefghx"_s, u"ABCDEFGHy"_s, u"café"_s,
                                             u"caf\xDCC3"_s, u"f"_s, u"Zebra"_s}));
}

// Hundreds of names that mostly share their first bytes, differ in letter case or a sign
// before the letters, end early or hold an umlaut anywhere: in the order of their text.
TEST_F(FolderScanTest, ManyNamesSortAsTheirText)
{
    drives.makeFolder(u"C:\\Viele"_s);
    const HostEntries viele(drives.host(u"C:\\Viele"_s));
    const QStringList letters = {u"a"_s, u"A"_s, u"b"_s, u"B"_s, u"_"_s, u"."_s, u"0"_s, u"\u00E4"_s, u"\u00C4"_s, u"z"_s};
    std::mt19937 random(7);
    QStringList names;
    while (names.size() < 400) {
        QString name = u"x"_s; // no hidden names
        for (auto length = random() % 12; length > 0; --length)
            name += letters[qsizetype(random() % std::uint32_t(letters.size()))];
        if (!names.contains(name)) {
            names.append(name);
            ASSERT_TRUE(viele.file(name.toUtf8()));
        }
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    ASSERT_TRUE(files.setPath(u"C:\\Viele"_s));
    EXPECT_EQ(entriesOf(files), names);
}

// A folder's read looks at each name's bytes a word at a time, the last few as the word
// that ends the name: a line break or a '\' is found, and an umlaut keeps a name from
// counting as ASCII, wherever in the first word, between words or in the last it stands.
// A name taken for ASCII would sort by its bytes, not its letters.
TEST_F(FolderScanTest, EveryByteOfANameIsLookedAtWhateverItsLength)
{
    drives.makeFolder(u"C:\\Laengen"_s);
    const HostEntries laengen(drives.host(u"C:\\Laengen"_s));
    const char breaks[] = {'\\', '\n', '\r'};
    int breaking = 0;
    ListBox byPath(ListBox::Order::Sorted);
    for (const int length : {1, 7, 8, 9, 15, 16, 17, 24}) {
        for (const int at : std::set<int>{0, length / 2, length - 1}) {
            QByteArray name(length, 'x');
            name[at] = breaks[breaking % 3];
            ASSERT_TRUE(laengen.file(name)) << name.constData();
            ++breaking;
            for (const char* letter : {"a", "\xC3\xA4", "b"}) {
                const QByteArray listed = QByteArray(name).replace(at, 1, letter);
                ASSERT_TRUE(laengen.file(listed)) << listed.constData();
                byPath.AddItem(u"C:\\Laengen\\"_s + QString::fromUtf8(listed));
            }
        }
    }
    ASSERT_TRUE(files.setPath(u"C:\\Laengen"_s));
    EXPECT_EQ(files.leftOutNames(), breaking);
    ListBox fromRead(ListBox::Order::Sorted);
    fromRead.addItems(u"C:\\Laengen\\"_s, files.hostNames());
    EXPECT_EQ(entriesOf(fromRead).join(u'|').toStdString(), entriesOf(byPath).join(u'|').toStdString());
}

// The host lists names in an order of its own; sorted, each subfolder keeps its kind.
TEST_F(FolderScanTest, EachSubfolderKeepsItsKindInTheOrderOfNames)
{
    drives.makeFolder(u"C:\\Arten"_s);
    const HostEntries arten(drives.host(u"C:\\Arten"_s));
    for (const char* plain : {"a", "c", "e", "g", "i", "k", "m"})
        ASSERT_TRUE(arten.folder(plain));
    for (const char* link : {"B-link", "d-link", "F-link", "h-link", "J-link", "l-link"})
        ASSERT_TRUE(arten.link("a", link));
    FolderHandles handles;
    const FolderScan scan = FolderScan::read(handles, *WindowsPath::parse(u"C:\\Arten"_s), u"C:\\Arten"_s,
                                             NeverWalkedMounts());
    ASSERT_EQ(scan.folders.size(), 13);
    ASSERT_EQ(scan.folderKinds.size(), scan.folders.size());
    QString kinds;
    for (qsizetype i = 0; i < scan.folders.size(); ++i)
        kinds += scan.folders[i].right(1) + (scan.folderKinds[i] == SubfolderKind::Link ? u'L' : u'-');
    EXPECT_EQ(kinds.toStdString(), "a-kLc-kLe-kLg-kLi-kLk-kLm-");
}

TEST_F(FolderScanTest, FileListCountsOnlyUnwritableNamesThatMatch)
{
    files.setPattern(u"*.doc"_s);
    ASSERT_TRUE(files.setPath(u"C:\\"_s));
    EXPECT_EQ(files.ListCount(), 0);
    EXPECT_EQ(files.leftOutNames(), 0);
}

} // namespace
