#include "drives/windowspath.h"

#include <gtest/gtest.h>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

struct ParseCase {
    const char16_t* text;
    const char16_t* expected; // nullptr: not a path
};

class WindowsPathParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(WindowsPathParse, NormalisesToOneForm)
{
    const ParseCase& c = GetParam();
    const std::optional<WindowsPath> path = WindowsPath::parse(QString::fromUtf16(c.text));
    if (!c.expected) {
        EXPECT_FALSE(path.has_value()) << path->toString().toStdString();
        return;
    }
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(path->toString(), QString::fromUtf16(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Paths, WindowsPathParse, ::testing::Values(
    ParseCase{u"C:\\", u"C:\\"},
    ParseCase{u"C:/", u"C:\\"},
    ParseCase{u"C:\\\\", u"C:\\"},
    ParseCase{u"C:\\Liste.txt", u"C:\\Liste.txt"},
    ParseCase{u"C:\\\\Liste.txt", u"C:\\Liste.txt"},
    ParseCase{u"C:\\a\\\\b//c", u"C:\\a\\b\\c"},
    ParseCase{u"C:/Daten/Liste.txt", u"C:\\Daten\\Liste.txt"},
    ParseCase{u"C:\\a\\", u"C:\\a"},
    ParseCase{u"C:\\a\\.\\b\\.", u"C:\\a\\b"},
    ParseCase{u"C:\\a\\..\\b", u"C:\\b"},
    ParseCase{u"C:\\..", u"C:\\"},
    ParseCase{u"C:\\a\\..\\..\\..\\b", u"C:\\b"},
    ParseCase{u"c:\\daten", u"C:\\daten"},
    ParseCase{u"q:\\x", u"Q:\\x"},
    ParseCase{u"C:\\Grüße\\caf\xDCE9", u"C:\\Grüße\\caf\xDCE9"},
    ParseCase{u"C:\\file[1].txt", u"C:\\file[1].txt"},
    ParseCase{u"", nullptr},
    ParseCase{u"C", nullptr},
    ParseCase{u"C:", nullptr},
    ParseCase{u"C:Liste.txt", nullptr},
    ParseCase{u"\\Daten", nullptr},
    ParseCase{u"1:\\", nullptr},
    ParseCase{u"Ä:\\", nullptr},
    ParseCase{u"c: [/home/user]", nullptr},
    ParseCase{u"Liste.txt", nullptr}));

TEST(WindowsPath, TextWithANulCharacterIsNoPath)
{
    EXPECT_FALSE(WindowsPath::parse(u"C:\\a"_s + QChar(0) + u"b"_s).has_value());
    EXPECT_FALSE(WindowsPath::parse(u"C:\\"_s + QChar(0)).has_value());
}

TEST(WindowsPath, KeepsTheLetterInUpperCaseAndTheNamesApart)
{
    const std::optional<WindowsPath> path = WindowsPath::parse(u"d:\\a\\b.txt");
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(path->drive(), u'D');
    EXPECT_EQ(path->names(), QStringList({u"a"_s, u"b.txt"_s}));
    EXPECT_FALSE(path->isRoot());
    EXPECT_TRUE(path->parent().parent().isRoot());
    EXPECT_EQ(path->parent().child(u"c"_s).toString(), u"D:\\a\\c"_s);
    EXPECT_EQ(WindowsPath::root(u'c').toString(), u"C:\\"_s);
    EXPECT_EQ(*WindowsPath::parse(u"C:\\\\a"), *WindowsPath::parse(u"c:/a/"));
}

struct DriveValueCase {
    const char16_t* text;
    char16_t letter; // 0: not a drive value
};

class DriveValue : public ::testing::TestWithParam<DriveValueCase> {};

TEST_P(DriveValue, YieldsItsLetter)
{
    const DriveValueCase& c = GetParam();
    const std::optional<QChar> letter = WindowsPath::driveValueLetter(QString::fromUtf16(c.text));
    if (c.letter == 0) {
        EXPECT_FALSE(letter.has_value());
        return;
    }
    ASSERT_TRUE(letter.has_value());
    EXPECT_EQ(*letter, QChar(c.letter));
}

INSTANTIATE_TEST_SUITE_P(Texts, DriveValue, ::testing::Values(
    DriveValueCase{u"c: [/x]", u'C'},
    DriveValueCase{u"z: [/]", u'Z'},
    DriveValueCase{u"C:", u'C'},
    DriveValueCase{u"d:", u'D'},
    DriveValueCase{u"C:\\", 0},
    DriveValueCase{u"C:/", 0},
    DriveValueCase{u"C:\\Daten", 0},
    DriveValueCase{u"C:x", 0},
    DriveValueCase{u"C", 0},
    DriveValueCase{u"", 0},
    DriveValueCase{u"1:", 0}));

// A file below a folder gets one separator, a root's own included; the list file gets one
// more whatever the folder ends in, and its name unchanged.
TEST(WindowsPath, TheTwoJoins)
{
    const struct {
        const char16_t *folder, *name, *file, *listFile;
    } cases[] = {
        {u"C:\\", u"x", u"C:\\x", u"C:\\\\x"},
        {u"C:\\x", u"y", u"C:\\x\\y", u"C:\\x\\y"},
        {u"C:\\x\\y", u"Liste.txt", u"C:\\x\\y\\Liste.txt", u"C:\\x\\y\\Liste.txt"},
        {u"D:\\Daten", u" a.txt ", u"D:\\Daten\\ a.txt ", u"D:\\Daten\\ a.txt "},
        {u"C:\\Daten", u"", u"C:\\Daten\\", u"C:\\Daten\\"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WindowsPath::joinName(c.folder, c.name), QString::fromUtf16(c.file));
        EXPECT_EQ(WindowsPath::listFilePath(c.folder, c.name), QString::fromUtf16(c.listFile));
    }
}

// Only a text whose last name parse() would keep as it stands is taken apart; a root keeps
// its separator.
TEST(WindowsPath, SplitLastNameGivesTheParentsTextAndTheName)
{
    const struct {
        const char16_t* text;
        std::optional<std::pair<QString, QString>> split;
    } cases[] = {
        {u"C:\\a\\b", std::pair(u"C:\\a"_s, u"b"_s)},
        {u"C:\\b", std::pair(u"C:\\"_s, u"b"_s)},
        {u"C:\\a b\\c.d\\ e ", std::pair(u"C:\\a b\\c.d"_s, u" e "_s)},
        {u"C:\\", std::nullopt},
        {u"C:\\a\\", std::nullopt},
        {u"C:\\a\\.", std::nullopt},
        {u"C:\\a\\..", std::nullopt},
        {u"C:\\a\\b/c", std::nullopt},
        {u"C:b", std::nullopt},
        {u"\\b", std::nullopt},
    };
    for (const auto& [text, split] : cases) {
        const std::optional<WindowsPath::LastName> last = WindowsPath::splitLastName(text);
        ASSERT_EQ(last.has_value(), split.has_value()) << QString::fromUtf16(text).toStdString();
        if (last) {
            EXPECT_EQ(last->parentText.toString(), split->first);
            EXPECT_EQ(last->name.toString(), split->second);
        }
    }
}

TEST(WindowsPath, TheHeadOfAPathsTextIsItsAncestorsText)
{
    const WindowsPath path = *WindowsPath::parse(u"C:\\eins\\zwei\\drei");
    const QString text = path.toString();
    WindowsPath ancestor = WindowsPath::root(u'C');
    for (qsizetype count = 0; count <= path.names().size(); ++count) {
        EXPECT_EQ(text.left(path.headTextLength(count)), ancestor.toString());
        if (count < path.names().size())
            ancestor = ancestor.child(path.names()[count]);
    }
}

} // namespace
