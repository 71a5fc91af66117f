#include "listing/listbox.h"
#include "support/listentries.h"
#include "text/germancollation.h"
#include "text/namecodec.h"
#include "text/windows1252.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <cstring>
#include <random>

using namespace Qt::StringLiterals;

namespace {

void addAll(ListBox& box, const QStringList& texts)
{
    for (const QString& text : texts)
        box.AddItem(text);
}

struct SortCase {
    const char* what;
    QStringList added;
    QStringList sorted;
};

void PrintTo(const SortCase& c, std::ostream* out) { *out << c.what; }

class SortedListBox : public ::testing::TestWithParam<SortCase> {};

TEST_P(SortedListBox, OrdersAsAGermanReaderExpects)
{
    ListBox box(ListBox::Order::Sorted);
    QAbstractItemModelTester tester(&box, QAbstractItemModelTester::FailureReportingMode::Fatal);
    addAll(box, GetParam().added);
    EXPECT_EQ(entriesOf(box), GetParam().sorted);
    EXPECT_EQ(rowsOf(box), GetParam().sorted);
}

INSTANTIATE_TEST_SUITE_P(Examples, SortedListBox, ::testing::Values(
    SortCase{"paths", {"D:\\b.txt", "C:\\z.txt", "c:\\a.txt"}, {"c:\\a.txt", "C:\\z.txt", "D:\\b.txt"}},
    SortCase{"umlauts", {"Arbeit", "äpfel", "Zebra", "Apfel"}, {"Apfel", "äpfel", "Arbeit", "Zebra"}},
    SortCase{"umlauts reversed", {"Zebra", "Arbeit", "Apfel", "äpfel"}, {"Apfel", "äpfel", "Arbeit", "Zebra"}},
    SortCase{"umlaut with its base", {"Ozean", "Öl", "Ol", "Oma"}, {"Ol", "Öl", "Oma", "Ozean"}},
    SortCase{"accents", {"Ecke", "élan", "Elan", "Eden"}, {"Ecke", "Eden", "Elan", "élan"}},
    SortCase{"letters with two accents", {"uz", "ǖa", "Ǻb", "ub", "Ac", "Aa"}, {"Aa", "Ǻb", "Ac", "ǖa", "ub", "uz"}},
    SortCase{"sharp s as ss", {"Strast", "Straße", "Strasr", "Strasse"}, {"Strasr", "Strasse", "Straße", "Strast"}},
    SortCase{"capital sharp s", {"STRAẞE", "Strast", "Strasr"}, {"Strasr", "STRAẞE", "Strast"}},
    SortCase{"equal keep adding order", {"b", "B", "a", "b"}, {"a", "b", "B", "b"}},
    SortCase{"folder before longer name", {"C:\\ab.txt", "C:\\a\\b.txt"}, {"C:\\a\\b.txt", "C:\\ab.txt"}},
    SortCase{"prefix first", {"abc", "ab", "a"}, {"a", "ab", "abc"}}));

TEST(SortedListBoxAdds, AfterAReadAreMergedInTheirPlace)
{
    ListBox box(ListBox::Order::Sorted);
    QAbstractItemModelTester tester(&box, QAbstractItemModelTester::FailureReportingMode::Fatal);
    addAll(box, {"d", "B"});
    EXPECT_EQ(entriesOf(box), QStringList({"B", "d"}));
    addAll(box, {"c", "A", "b", "e"});
    EXPECT_EQ(box.List(0), u"A"_s);
    EXPECT_EQ(entriesOf(box), QStringList({"A", "B", "b", "c", "d", "e"}));
    box.AddItem(u"a");
    EXPECT_EQ(box.ListCount(), 7);
    EXPECT_EQ(entriesOf(box), QStringList({"A", "a", "B", "b", "c", "d", "e"}));
}

TEST(UnsortedListBox, KeepsTheOrderOfAdding)
{
    ListBox box(ListBox::Order::AsAdded);
    QAbstractItemModelTester tester(&box, QAbstractItemModelTester::FailureReportingMode::Fatal);
    addAll(box, {"C:\\z", "C:\\a", "D:\\b"});
    EXPECT_EQ(entriesOf(box), QStringList({"C:\\z", "C:\\a", "D:\\b"}));
    addAll(box, {"A", "C:\\a"});
    EXPECT_EQ(entriesOf(box), QStringList({"C:\\z", "C:\\a", "D:\\b", "A", "C:\\a"}));
    EXPECT_EQ(rowsOf(box), entriesOf(box));
}

class EitherListBox : public ::testing::TestWithParam<ListBox::Order> {};

TEST_P(EitherListBox, ClearEmptiesItAndItFillsAgain)
{
    ListBox box(GetParam());
    QAbstractItemModelTester tester(&box, QAbstractItemModelTester::FailureReportingMode::Fatal);
    addAll(box, {"x", "y"});
    EXPECT_EQ(box.ListCount(), 2);
    box.AddItem(u"z");
    box.Clear();
    EXPECT_EQ(box.ListCount(), 0);
    EXPECT_EQ(box.rowCount(), 0);
    EXPECT_EQ(box.List(0), QString());
    box.Clear();
    box.AddItem(u"w");
    EXPECT_EQ(entriesOf(box), QStringList({"w"}));
}

TEST_P(EitherListBox, ViewsLearnOfNewEntriesAtTheNextRead)
{
    ListBox box(GetParam());
    QAbstractItemModelTester tester(&box, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy inserted(&box, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&box, &QAbstractItemModel::modelReset);
    addAll(box, {"b", "a", "c"});
    EXPECT_EQ(box.rowCount(), 0);
    EXPECT_EQ(inserted.count() + reset.count(), 0);

    EXPECT_EQ(box.ListCount(), 3);
    EXPECT_EQ(box.rowCount(), 3);
    EXPECT_EQ(inserted.count() + reset.count(), 1);

    box.AddItem(u"d");
    EXPECT_EQ(box.List(3), u"d"_s);
    EXPECT_EQ(box.rowCount(), 4);
    EXPECT_EQ(inserted.count() + reset.count(), 2);
    EXPECT_EQ(box.ListCount(), 4);
    EXPECT_EQ(inserted.count() + reset.count(), 2);
}

TEST_P(EitherListBox, OutOfRangePositionsReadEmpty)
{
    ListBox box(GetParam());
    box.AddItem(u"a");
    EXPECT_EQ(box.List(-1), QString());
    EXPECT_EQ(box.List(1), QString());
    EXPECT_EQ(box.List(0), u"a"_s);
}

TEST_P(EitherListBox, PositionsGoBeyond32767)
{
    ListBox box(GetParam());
    constexpr int count = 40000;
    for (int i = count - 1; i >= 0; --i)
        box.AddItem(u"Eintrag %1"_s.arg(i, 5, 10, QChar(u'0')));
    ASSERT_EQ(box.ListCount(), count);
    EXPECT_EQ(box.rowCount(), count);
    if (GetParam() == ListBox::Order::Sorted) {
        EXPECT_EQ(box.List(0), u"Eintrag 00000"_s);
        EXPECT_EQ(box.List(32767), u"Eintrag 32767"_s);
        EXPECT_EQ(box.List(39999), u"Eintrag 39999"_s);
    } else {
        EXPECT_EQ(box.List(0), u"Eintrag 39999"_s);
        EXPECT_EQ(box.List(39999), u"Eintrag 00000"_s);
    }
    EXPECT_EQ(box.data(box.index(39999)).toString(), box.List(39999));
}

INSTANTIATE_TEST_SUITE_P(Orders, EitherListBox, ::testing::Values(ListBox::Order::AsAdded, ListBox::Order::Sorted));

TEST(SortedListBoxText, LongestRowsAreTheLongestEntriesAfterTheSortLongestFirst)
{
    ListBox box(ListBox::Order::Sorted);
    QStringList added;
    for (int length = 1; length <= 40; ++length)
        added.append(u"C:\\"_s + QString(length, QChar(u'a' + length % 26)));
    addAll(box, added);
    const QList<int> rows = box.longestRows();
    ASSERT_EQ(rows.size(), 16);
    for (int i = 0; i < rows.size(); ++i)
        EXPECT_EQ(box.List(rows[i]).size(), 3 + 40 - i) << i;
}

TEST(SortedListBoxText, UndecodableNamesComeBackUnchanged)
{
    ListBox box(ListBox::Order::Sorted);
    const QString latin1Name = u"C:\\caf\xDCE9.txt"_s;
    box.AddItem(latin1Name);
    box.AddItem(u"C:\\Grüße 😀.txt");
    EXPECT_EQ(entriesOf(box), QStringList({latin1Name, u"C:\\Grüße 😀.txt"_s}));
}

} // namespace

namespace {

// Paths over a small alphabet, so that folders, names, separators, letter case, umlauts
// and "ß" against "ss" meet each other often; long pieces in both cases and the characters
// around the capitals ("@[`{") make names that differ far in, or only in case.
QStringList randomPaths(quint32 seed, int count)
{
    const QStringList pieces = {u"a"_s, u"A"_s, u"ä"_s, u"Ä"_s, u"b"_s, u"ß"_s, u"ss"_s, u"_"_s, u" "_s, u"."_s,
                                u"1"_s, u"z"_s, u"é"_s, u"Bericht-Zahlen"_s, u"bericht-zahlen"_s, u"@[`{"_s};
    std::mt19937 random(seed);
    auto name = [&] {
        QString text;
        for (int length = 1 + int(random() % 3); length > 0; --length)
            text += pieces[int(random() % pieces.size())];
        return text;
    };
    QStringList folders = {u"C:\\"_s};
    QStringList paths;
    while (paths.size() < count) {
        const QString folder = folders[int(random() % folders.size())];
        if (random() % 4 == 0) {
            folders.append(folder + (folder.endsWith(u'\\') ? QString() : u"\\"_s) + name());
            continue;
        }
        // A walk adds a folder's files one after another.
        for (int files = 1 + int(random() % 4); files > 0; --files)
            paths.append(folder + (folder.endsWith(u'\\') ? QString() : u"\\"_s) + name());
    }
    return paths;
}

QStringList sortedByWholeKeys(const QStringList& paths)
{
    QList<std::pair<std::string, QString>> keyed;
    for (const QString& path : paths) {
        std::string key;
        GermanCollation::appendSortKey(path, key);
        keyed.append({key, path});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList sorted;
    for (const auto& entry : keyed)
        sorted.append(entry.second);
    return sorted;
}

// Every ASCII character but 0, in every place of a word, weighs as it does alone.
TEST(GermanCollationWeights, EightCharactersAtOnceWeighAsEachAlone)
{
    for (int character = 1; character < 0x80; ++character) {
        for (int place = 0; place < 8; ++place) {
            unsigned char bytes[8] = {'A', 'z', '@', '[', '`', '{', 'Z', 'a'};
            bytes[place] = uchar(character);
            quint64 word;
            std::memcpy(&word, bytes, sizeof word);
            const quint64 weights = GermanCollation::asciiWeights(word);
            for (int i = 0; i < 8; ++i)
                ASSERT_EQ(uchar(weights >> (8 * i)), uchar(GermanCollation::asciiWeight(bytes[i])))
                    << "character " << character << " in place " << place;
        }
    }
}

// A line read back from a list file is keyed from its code page's bytes: an ASCII line
// eight bytes at a time, to its last byte, and any other line as its decoded text.
TEST(GermanCollationWeights, AWrittenLineIsKeyedAsItsDecodedText)
{
    const QList<QByteArray> lines = {"",         "A",         "\\Ordner\\Z",       "\\ORDNER\\Datei.TXT",
                                     "@[`{Az",   "0123456Z",  "01234567Z",          "ABCDEFGHIJKLMNOPQ",
                                     "\\Gr\xFC\xDF" "e\\a.txt", "\x80\x9F", "abcdefgh\xC4", "a?b"};
    for (const QByteArray& line : lines) {
        std::string expected = "<";
        GermanCollation::appendSortKey(Windows1252::decode(line), expected);
        std::string key = "<";
        GermanCollation::appendSortKeyOfWritten(line, key);
        EXPECT_EQ(key, expected) << line.toStdString();
    }
}

// The list box keeps paths in pieces and sorts them without joining them, long lists on
// two threads where it can; whatever it does, the order must be the one of the whole
// texts' keys.
TEST(SortedListBoxOrder, MatchesTheOrderOfWholeKeysOnRandomPaths)
{
    for (quint32 seed = 1; seed <= 22; ++seed) {
        const bool longList = seed > 20;
        QStringList paths = randomPaths(seed, longList ? int(ListBox::kEntriesWorthASecondSorter) * 2 : 400);
        // Odd seeds add as a walk does, folder by folder; even ones in no order at all.
        if (seed % 2 == 0)
            std::shuffle(paths.begin(), paths.end(), std::mt19937(seed));
        ListBox box(ListBox::Order::Sorted);
        const qsizetype half = paths.size() / 2;
        addAll(box, paths.mid(0, half));
        ASSERT_EQ(box.ListCount(), half);
        addAll(box, paths.mid(half));
        EXPECT_EQ(entriesOf(box), sortedByWholeKeys(paths)) << "seed " << seed;
    }
}

// A folder's files go in all at once, as the host's bytes, known to be ASCII or not; the
// list must be the one that adding each whole path gives.
TEST(SortedListBoxOrder, FilesAddedPerFolderSortAsPathsAddedOneByOne)
{
    for (quint32 seed = 1; seed <= 10; ++seed) {
        const QStringList paths = randomPaths(seed, 400);
        ListBox byPath(ListBox::Order::Sorted);
        ListBox byFolder(ListBox::Order::Sorted);
        addAll(byPath, paths);
        for (qsizetype first = 0; first < paths.size();) {
            const QStringView head = QStringView(paths[first]).left(paths[first].lastIndexOf(u'\\') + 1);
            QByteArray block;
            QList<HostNames::Piece> pieces;
            for (; first < paths.size() && paths[first].startsWith(head) && paths[first].lastIndexOf(u'\\') + 1 == head.size();
                 ++first) {
                const QByteArray name = NameCodec::encode(QStringView(paths[first]).sliced(head.size()));
                // Half the seeds leave it unknown that a name is ASCII: both ways give one order.
                pieces.append({quint32(block.size()), quint32(name.size()), seed % 2 == 0 && NameCodec::isAscii(name)});
                block += name;
            }
            byFolder.addItems(head, HostNames(block, pieces));
        }
        EXPECT_EQ(entriesOf(byFolder), entriesOf(byPath)) << "seed " << seed;
    }
}

} // namespace
