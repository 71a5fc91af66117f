#include "text/namecodec.h"
#include "walk/filepattern.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct PatternCase {
    const char16_t* pattern;
    QStringList matching;
    QStringList notMatching;
};

class FilePatternTable : public ::testing::TestWithParam<PatternCase> {};

// As text and as the host's bytes, which are matched byte by byte where they are ASCII.
TEST_P(FilePatternTable, MatchesBareNames)
{
    const PatternCase& c = GetParam();
    const FilePattern pattern(QString::fromUtf16(c.pattern));
    for (const QString& name : c.matching) {
        EXPECT_TRUE(pattern.matches(name)) << name.toStdString();
        EXPECT_TRUE(pattern.matchesHostName(NameCodec::encode(name))) << name.toStdString();
    }
    for (const QString& name : c.notMatching) {
        EXPECT_FALSE(pattern.matches(name)) << name.toStdString();
        EXPECT_FALSE(pattern.matchesHostName(NameCodec::encode(name))) << name.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Patterns, FilePatternTable, ::testing::Values(
    PatternCase{u"*.*", {"a.txt", "README", "x.", ".profile", "a.b.c", "Grüße"}, {}},
    PatternCase{u"*", {"a.txt", "README"}, {}},
    PatternCase{u"", {"a.txt", "README"}, {}},
    PatternCase{u"   ", {"a.txt", "README"}, {}},
    PatternCase{u"*.", {"README", "Makefile"}, {"a.txt", "x.", "a.b"}},
    PatternCase{u"*.txt", {"a.txt", "A.TXT", "Liste.Txt", ".txt", "a.b.txt"}, {"a.txt.bak", "atxt", "a.tx", "README"}},
    PatternCase{u"*.TXT", {"a.txt"}, {"a.doc"}},
    PatternCase{u"?.txt", {"a.txt", "Ü.txt", u"\xDCE9.txt"_s}, {"ab.txt", ".txt", "Üb.txt"}},
    PatternCase{u"a?c", {"abc", "AXC"}, {"ac", "abbc"}},
    PatternCase{u"a*.*", {"abc.txt", "a.txt", "A", "abc", "A.b.c"}, {"ba.txt", "b"}},
    PatternCase{u"a*", {"a", "abc.txt"}, {"ba"}},
    PatternCase{u"*a*b*", {"ab", "xaxbx", "aaab"}, {"ba", "a"}},
    PatternCase{u"*.txt; *.doc", {"a.txt", "B.DOC"}, {"a.pdf", "txt"}},
    PatternCase{u"*.txt;*.doc", {"a.txt", "b.doc"}, {"a.pdf"}},
    PatternCase{u" *.txt ;; ", {"a.txt"}, {"a.doc"}},
    PatternCase{u"*.txt;*.*", {"a.txt", "b", "c.pdf"}, {}},
    PatternCase{u"file[1].txt", {"file[1].txt", "FILE[1].TXT"}, {"file1.txt", "file[2].txt"}},
    PatternCase{u"grüße.txt", {"Grüße.TXT", "GRÜßE.txt"}, {"grusse.txt"}},
    PatternCase{u"C:\\*.*", {}, {"a.txt", "README"}},
    PatternCase{u"sub/*.txt", {}, {"a.txt", "sub"}},
    PatternCase{u"\\", {}, {"a", "\\"}},
    PatternCase{u"a\\b;*.doc", {"x.doc"}, {"a", "b", "a\\b"}}));

} // namespace
