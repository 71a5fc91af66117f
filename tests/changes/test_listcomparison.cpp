#include "changes/listcomparison.h"
#include "changes/listlines.h"
#include "changes/listrecognition.h"
#include "generation/comparisonthread.h"
#include "generation/generaterun.h"
#include "generation/listfilewriter.h"
#include "listing/listbox.h"
#include "process/helperthread.h"
#include "support/listfilebytes.h"
#include "support/testdrives.h"
#include "text/windows1252.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <algorithm>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QDate kToday(2024, 3, 5);
const QLocale kGerman(QLocale::German, QLocale::Germany);

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A list file's entry lines as written, each without its drive letter.
QList<QByteArray> entryLines(const QByteArray& list)
{
    QList<QByteArray> lines = list.split('\n');
    lines.resize(lines.size() - 7); // the empty line, five footer lines, nothing after the last break
    for (QByteArray& line : lines)
        line = line.sliced(2).chopped(1);
    return lines;
}

QList<QByteArray> sorted(QList<QByteArray> lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

// What a brute force says: the lines of a that b has no partner for, one partner each.
QList<QByteArray> multisetMinus(QList<QByteArray> a, const QList<QByteArray>& b)
{
    for (const QByteArray& line : b) {
        if (const qsizetype at = a.indexOf(line); at >= 0)
            a.removeAt(at);
    }
    return sorted(a);
}

// The changes as the bytes a list file would hold for them, without drive letter.
QList<QByteArray> changedLines(const ListChanges& changes, ListChanges::Kind kind)
{
    QList<QByteArray> lines;
    for (const ListChanges::Entry& entry : changes.kept(kind)) {
        QByteArray line;
        Windows1252::append(entry.shown, line);
        lines.append(line.sliced(2));
    }
    return sorted(lines);
}

class ListComparisonTest : public ::testing::Test {
protected:
    // Writes entries over C:\Liste.txt, comparing with what was there (new paths on drive).
    // The list stays until the next write: its new entries are named from it.
    ListFileOutcome write(const QStringList& entries, const QString& drive = QStringLiteral("C:"),
                          const QString& ownEntry = QString())
    {
        m_list = std::make_unique<ListBox>(ListBox::Order::Sorted);
        for (const QString& entry : entries)
            m_list->AddItem(entry);
        const EntryComparison::Where where{drive, QString(), ownEntry};
        return ListFileWriter::write(QStringLiteral("C:\\"), QStringLiteral("Liste.txt"), *m_list, kToday, kGerman,
                                     {}, &where);
    }
    QString listFile() const { return m_drives.host(QStringLiteral("C:\\Liste.txt")); }

    TestDrives m_drives;
    std::unique_ptr<ListBox> m_list;
};

// Names whose written lines sort elsewhere than the names ('?' for what the code page
// lacks, composed accents), case twins, names that share their written bytes: the merge
// must find what a brute force finds.
TEST_F(ListComparisonTest, FindsWhatABruteForceMultisetDifferenceFinds)
{
    const QStringList folders = {u""_qs, u"Ordner\\"_qs, u"Über\\"_qs, u"Ωmega\\"_qs, u"e\u0301cole\\"_qs, u"A?b\\"_qs,
                                 u"straße\\"_qs};
    const QStringList files = {u"a.txt"_qs, u"A.txt"_qs, u"ä.txt"_qs, u"Ä.txt"_qs, u"ae.txt"_qs, u"Ωμ.txt"_qs,
                               u"ā.txt"_qs, u"ă.txt"_qs, u"?.txt"_qs, u"e\u0301.txt"_qs, u"é.txt"_qs, u"z.txt"_qs,
                               u"Z.TXT"_qs, u"b"_qs, u"ß.txt"_qs, u"ss.txt"_qs, u"a\U0001F600.txt"_qs};
    QStringList universe;
    for (const QString& folder : folders) {
        for (const QString& file : files)
            universe.append(u'\\' + folder + file);
    }
    QRandomGenerator random(30);
    for (int round = 0; round < 40; ++round) {
        // On another drive every line differs in its bytes; on the same one most lines pass
        // as a run of equal bytes.
        const QString drive = round % 2 == 0 ? u"D:"_qs : u"C:"_qs;
        QFile::remove(listFile());
        QStringList before, after;
        for (const QString& path : universe) {
            const bool inBefore = random.bounded(2) == 0;
            if (inBefore)
                before.append(u"C:"_qs + path);
            if (inBefore != (random.bounded(5) == 0))
                after.append(drive + path);
        }
        ASSERT_FALSE(write(before).changes.has_value()) << "no list was there";
        const QList<QByteArray> oldLines = entryLines(readFile(listFile()));
        const ListFileOutcome outcome = write(after, drive);
        const QList<QByteArray> newLines = entryLines(readFile(listFile()));
        ASSERT_TRUE(outcome.written && outcome.changes.has_value()) << "round " << round;
        EXPECT_EQ(changedLines(*outcome.changes, ListChanges::Kind::New), multisetMinus(newLines, oldLines))
            << "round " << round;
        EXPECT_EQ(changedLines(*outcome.changes, ListChanges::Kind::Missing), multisetMinus(oldLines, newLines))
            << "round " << round;
    }
}

// Which files in the list's place are compared: a list of ours, whatever its drive letters
// or line ends; nothing else, and a comparison never changes what is written.
TEST_F(ListComparisonTest, ComparesOnlyWithAListOfOurs)
{
    const QStringList entries = {u"C:\\a.txt"_qs, u"C:\\Liste.txt"_qs, u"C:\\x\\b.txt"_qs};
    const QByteArray written = listFileOf({"C:\\a.txt", "C:\\Liste.txt", "C:\\x\\b.txt"});
    QByteArray lineFeedsOnly = listFileOf({"C:\\a.txt", "C:\\x\\b.txt", "C:\\z.txt"});
    lineFeedsOnly.replace("\r\n", "\n");
    const struct {
        const char* what;
        std::optional<QByteArray> old;
        std::optional<QList<QByteArray>> added;
        QList<QByteArray> missing;
    } cases[] = {
        {"no file there", std::nullopt, std::nullopt, {}},
        {"the same entries", written, QList<QByteArray>(), {}},
        {"made on another drive", listFileOf({"E:\\a.txt", "E:\\Liste.txt", "E:\\x\\b.txt"}), QList<QByteArray>(), {}},
        {"its own entry not counted", listFileOf({"C:\\a.txt", "C:\\x\\b.txt"}), QList<QByteArray>(), {}},
        {"one new, one gone", listFileOf({"C:\\a.txt", "C:\\x\\B.txt", "C:\\x\\c.txt"}), QList<QByteArray>{"\\x\\b.txt"},
         {"\\x\\B.txt", "\\x\\c.txt"}},
        {"lines ending in a line feed alone", lineFeedsOnly, QList<QByteArray>(), {"\\z.txt"}},
        {"an empty list", listFileOf({}), QList<QByteArray>{"\\a.txt", "\\x\\b.txt"}, {}},
        {"another file", QByteArray("Einkaufsliste\r\nBrot\r\n"), std::nullopt, {}},
        {"a list cut off", written.first(written.size() - 20), std::nullopt, {}},
        {"a footer without its empty line", listFileOf({"C:\\a.txt"}).remove(10, 2), std::nullopt, {}},
        {"a NUL byte in an entry", listFileOf({"C:\\a.txt", QByteArray("C:\\b\0.txt", 9)}), std::nullopt, {}},
        {"not sorted as we sort", listFileOf({"C:\\b.txt", "C:\\a.txt"}), std::nullopt, {}},
        {"more than twice the new list", listFileOf(QList<QByteArray>(40, "C:\\a.txt")), std::nullopt, {}},
    };
    for (const auto& c : cases) {
        QFile::remove(listFile());
        if (c.old)
            m_drives.makeFile(QStringLiteral("C:\\Liste.txt"), *c.old);
        const ListFileOutcome outcome = write(entries, u"C:"_qs, u"C:\\Liste.txt"_qs);
        EXPECT_TRUE(outcome.written) << c.what;
        EXPECT_EQ(readFile(listFile()), written) << c.what;
        ASSERT_EQ(outcome.changes.has_value(), c.added.has_value()) << c.what;
        if (c.added) {
            EXPECT_EQ(changedLines(*outcome.changes, ListChanges::Kind::New), *c.added) << c.what;
            EXPECT_EQ(changedLines(*outcome.changes, ListChanges::Kind::Missing), c.missing) << c.what;
        }
    }
}

// A new entry is named from the result list when asked, as long as that list is there;
// names taken before it goes stay, and a kept entry comes back as it was given, a byte of
// a name that does not decode included.
TEST_F(ListComparisonTest, KeptChangesComeBackAsTheyWereWhileTheirListLasts)
{
    write({u"C:\\a.txt"_qs});
    const ListFileOutcome outcome = write({u"C:\\a.txt"_qs, u"C:\\b.txt"_qs, u"C:\\c.txt"_qs});
    ASSERT_TRUE(outcome.changes.has_value());
    ListChanges named = *outcome.changes;
    named.nameRows();
    const QList<QByteArray> added{"\\b.txt", "\\c.txt"};
    EXPECT_EQ(changedLines(*outcome.changes, ListChanges::Kind::New), added);
    m_list.reset();
    EXPECT_EQ(outcome.changes->count(ListChanges::Kind::New), 2);
    EXPECT_TRUE(outcome.changes->kept(ListChanges::Kind::New).isEmpty()) << "its list is gone";
    EXPECT_EQ(changedLines(named, ListChanges::Kind::New), added);

    const ListChanges::Entry odd{u"C:\\Ordner\\\xDCFFx"_qs, QByteArray("/mnt/c/Ordner/\xFFx")};
    ListChanges kept;
    kept.add(ListChanges::Kind::Missing, [&odd] { return odd; });
    kept.add(ListChanges::Kind::Missing, [] { return ListChanges::Entry{u"C:\\ä"_qs, "/mnt/c/\xC3\xA4"}; });
    const QList<ListChanges::Entry> back = kept.kept(ListChanges::Kind::Missing);
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(back[0].shown, odd.shown);
    EXPECT_EQ(back[0].hostPath, odd.hostPath);
    EXPECT_EQ(back[1].shown, u"C:\\ä"_qs);
    EXPECT_EQ(back[1].hostPath, QByteArray("/mnt/c/\xC3\xA4"));
}

// A check makes its lines chunk by chunk as a write does, on the comparison's thread where
// one can start and on the run's own where none can: either way it finds every change of a
// list of many chunks, and each new entry keeps the name of its own row once the run and
// its list are gone.
TEST_F(ListComparisonTest, ACheckOfManyChunksNamesEveryChangeAfterItsRunIsGone)
{
    const QString padding(220, u'x');
    QList<QByteArray> listed, added, missing;
    for (int i = 0; i < 9000; ++i) {
        const QString entry = QStringLiteral("C:\\Quelle\\%1-%2.txt").arg(i, 5, 10, QChar(u'0')).arg(padding);
        if (i % 1500 != 7)
            m_drives.makeFile(entry);
        else
            missing.append(entry.sliced(2).toLatin1());
        if (i % 1300 != 11)
            listed.append(entry.toLatin1());
        else
            added.append(entry.sliced(2).toLatin1());
    }
    ASSERT_GT(listFileOf(listed).size(), qsizetype(3 * ComparisonThread::kChunkSize)) << "lines for several chunks";
    m_drives.makeFile(QStringLiteral("C:\\Pruefliste.txt"), listFileOf(listed));
    const GenerateRun::Input input{QStringLiteral("C:\\Quelle"), QStringLiteral("*.*"), true, {}, {},
                                   QFile::encodeName(m_drives.host(QStringLiteral("C:\\Pruefliste.txt")))};
    for (const bool withThread : {true, false}) {
        HelperThread::refuseStarts(!withThread);
        const auto allow = qScopeGuard([] { HelperThread::refuseStarts(false); });
        std::optional<ListChanges> changes = std::make_unique<GenerateRun>()->run(input).changes;
        ASSERT_TRUE(changes.has_value()) << "thread " << withThread;
        EXPECT_EQ(changedLines(*changes, ListChanges::Kind::New), added) << "thread " << withThread;
        EXPECT_EQ(changedLines(*changes, ListChanges::Kind::Missing), missing) << "thread " << withThread;
    }
}

// A list with a second name is written over where it stands: its old entries come from the
// copy kept of its bytes, never from the file being overwritten.
TEST_F(ListComparisonTest, AListWrittenInPlaceIsComparedWithItsKeptBytes)
{
    QStringList before;
    for (int i = 0; i < 30000; ++i)
        before.append(QStringLiteral("C:\\Ordner\\Datei%1.txt").arg(i, 5, 10, QChar(u'0')));
    write(before);
    const QString secondName = m_drives.host(QStringLiteral("C:\\Zweitname.txt"));
    ASSERT_EQ(::link(qPrintable(listFile()), qPrintable(secondName)), 0);
    QStringList after = before.mid(1);
    after.append(u"C:\\Ordner\\Neu.txt"_qs);
    const ListFileOutcome outcome = write(after);
    ASSERT_TRUE(outcome.changes.has_value());
    EXPECT_EQ(changedLines(*outcome.changes, ListChanges::Kind::New), QList<QByteArray>{"\\Ordner\\Neu.txt"});
    EXPECT_EQ(changedLines(*outcome.changes, ListChanges::Kind::Missing),
              QList<QByteArray>{"\\Ordner\\Datei00000.txt"});
    EXPECT_EQ(readFile(secondName), readFile(listFile()));
}

// A list of many chunks is compared on a thread of its own where one can start, and on the
// writer's thread where none can: each way, every change is found, and each new entry is
// named from its own row however the chunks fell.
TEST_F(ListComparisonTest, AListOfManyChunksIsComparedTheSameOnAThreadAndWithout)
{
    QStringList before, after;
    QList<QByteArray> added, missing;
    for (int i = 0; i < 60000; ++i) {
        const QString entry = QStringLiteral("C:\\Ordner\\Unterordner\\Datei%1.txt").arg(i, 5, 10, QChar(u'0'));
        if (i % 997 != 5)
            before.append(entry);
        else
            added.append(entry.sliced(2).toLatin1());
        if (i % 1009 != 7)
            after.append(entry);
        else
            missing.append(entry.sliced(2).toLatin1());
    }
    for (const bool withThread : {true, false}) {
        HelperThread::refuseStarts(!withThread);
        const auto allow = qScopeGuard([] { HelperThread::refuseStarts(false); });
        QFile::remove(listFile());
        write(before);
        const ListFileOutcome outcome = write(after);
        ASSERT_TRUE(outcome.changes.has_value()) << "thread " << withThread;
        EXPECT_EQ(changedLines(*outcome.changes, ListChanges::Kind::New), added) << "thread " << withThread;
        EXPECT_EQ(changedLines(*outcome.changes, ListChanges::Kind::Missing), missing) << "thread " << withThread;
    }
}

// Files of any size in the list's place are told apart by their last bytes, at once and
// without reading them whole.
TEST_F(ListComparisonTest, AHugeSparseFileIsNeitherReadNorCompared)
{
    // A gigabyte of NULs, then nothing, or a line end and the footer of an empty list.
    for (const QByteArray& end : {QByteArray(), "\r\n" + listFileOf({})}) {
        QFile::remove(listFile());
        QFile file(listFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(qint64(1) << 30));
        file.seek(file.size());
        file.write(end);
        file.close();
        QElapsedTimer timer;
        timer.start();
        const ListFileOutcome outcome = write({u"C:\\a.txt"_qs});
        EXPECT_LT(timer.elapsed(), 5000);
        EXPECT_TRUE(outcome.written);
        EXPECT_FALSE(outcome.changes.has_value());
        if (end.isEmpty())
            continue;
        // Asked directly: its last lines are a footer, its entry a gigabyte of NULs, which
        // the reader gives up on at its first bytes.
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(qint64(1) << 30));
        file.seek(file.size());
        file.write(end);
        file.close();
        const ListRecognition::OpenedList opened = ListRecognition::OpenedList::open(QFile::encodeName(listFile()));
        ASSERT_EQ(opened.failure(), ListRecognition::OpenedList::Failure::None);
        ListLines lines(opened.content(), opened.entriesLength());
        EXPECT_FALSE(lines.next().has_value());
        EXPECT_EQ(lines.failure(), ListLines::Failure::NotText);
    }
}

// New lines handed over as a run pass over the old lines that agree byte for byte and go
// on line by line where they part; the list's own entry is no entry of the list either way.
TEST(ListComparisonRuns, EqualLinesPassAsARunAndTheRestLineByLine)
{
    const struct {
        const char* what;
        QByteArray old;
        QByteArray added;
        QByteArray own;
        qsizetype firstRun; // bytes the first run passes
        QList<QByteArray> changes;
        qsizetype oldEntries;
    } cases[] = {
        {"the same lines", "C:\\a\r\nC:\\b\r\n", "C:\\a\r\nC:\\b\r\n", {}, 12, {}, 2},
        {"another drive", "C:\\a\r\nC:\\b\r\n", "D:\\a\r\nD:\\b\r\n", {}, 0, {}, 2},
        {"one new between", "C:\\a\r\nC:\\c\r\n", "C:\\a\r\nC:\\b\r\nC:\\c\r\n", {}, 6,
         {"neu \\b"}, 2},
        {"one missing at the end", "C:\\a\r\nC:\\b\r\nC:\\c\r\n", "C:\\a\r\nC:\\b\r\n", {}, 12,
         {"fehlt \\c"}, 3},
        {"a line that only begins alike", "C:\\ab\r\n", "C:\\a\r\n", {}, 0, {"neu \\a", "fehlt \\ab"}, 1},
        {"the own entry in both", "C:\\a\r\nC:\\Liste.txt\r\nC:\\x\r\n",
         "C:\\a\r\nC:\\Liste.txt\r\nC:\\x\r\n", "\\Liste.txt", 26, {}, 2},
        {"the own entry as the end of another path", "C:\\d\\Liste.txt\r\n", "C:\\d\\Liste.txt\r\n",
         "\\Liste.txt", 16, {}, 1},
    };
    for (const auto& one : cases) {
        QTemporaryFile file;
        ASSERT_TRUE(file.open());
        file.write(one.old);
        file.flush();
        ListLines old(OldContent(file.handle(), one.old.size()), one.old.size());
        QList<QByteArray> changes;
        ListComparison comparison(old, {{}, {}, one.own}, [&changes](const ListComparison::Difference& difference) {
            changes.append((difference.kind == ListChanges::Kind::New ? "neu " : "fehlt ") + difference.path.toByteArray());
        });
        // As the comparison's thread hands them over: a run from each line on, and where none
        // passes, that line alone.
        const QList<QByteArray> lines = one.added.split('\n').mid(0, one.added.count('\n'));
        qsizetype at = 0;
        for (qsizetype line = 0; line < lines.size();) {
            const qsizetype passed = comparison.addEqualRun(QByteArrayView(one.added).sliced(at));
            if (line == 0) {
                EXPECT_EQ(passed, one.firstRun) << one.what;
            }
            if (passed == 0)
                comparison.addNew(QByteArrayView(lines[line]).chopped(1), line);
            const qsizetype end = at + std::max(passed, lines[line].size() + 1);
            while (at < end)
                at += lines[line++].size() + 1;
        }
        EXPECT_TRUE(comparison.finish()) << one.what;
        EXPECT_EQ(changes, one.changes) << one.what;
        EXPECT_EQ(comparison.oldEntries(), one.oldEntries) << one.what;
    }
}

// The side set is bounded: more lines out of order than it holds mean no comparison.
TEST(ListComparisonBounds, MoreWaitingLinesThanTheSideSetHoldsEndTheComparison)
{
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    QByteArray lines;
    for (qsizetype i = 0; i <= ListComparison::kSideSetLines; ++i)
        lines += "C:\\d\\?" + QByteArray::number(i) + "\r\n";
    file.write(lines);
    file.flush();
    ListLines old(OldContent(file.handle(), lines.size()), lines.size());
    qsizetype reported = 0;
    ListComparison comparison(old, {}, [&reported](const ListComparison::Difference&) { ++reported; });
    comparison.addNew("D:\\d\\a", 0);
    comparison.addNew("D:\\d\\z", 1);
    EXPECT_FALSE(comparison.finish());
    EXPECT_EQ(comparison.failure(), ListComparison::Failure::TooManyMoved);
}

} // namespace
