#include "text/windows1252.h"

#include <gtest/gtest.h>

#include <QString>

namespace {

struct EncodeCase {
    const char16_t* text;
    QByteArray bytes;
    qsizetype replaced;
};

class Windows1252Encode : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(Windows1252Encode, WritesOneBytePerCharacter)
{
    const EncodeCase& c = GetParam();
    QByteArray out("<");
    const qsizetype replaced = Windows1252::append(QString::fromUtf16(c.text), out);
    EXPECT_EQ(out, "<" + c.bytes);
    EXPECT_EQ(replaced, c.replaced);
}

INSTANTIATE_TEST_SUITE_P(Texts, Windows1252Encode, ::testing::Values(
    EncodeCase{u"", "", 0},
    EncodeCase{u"C:\\Liste.txt", "C:\\Liste.txt", 0},
    EncodeCase{u"ü", "\xFC", 0},
    EncodeCase{u"Grüße Ä Ö", "Gr\xFC\xDF" "e \xC4 \xD6", 0},
    EncodeCase{u"€", "\x80", 0},
    EncodeCase{u"„Š“ – ™ Ÿ ž", "\x84\x8A\x93 \x96 \x99 \x9F \x9E", 0},
    EncodeCase{u"\u00A0\u00FF", "\xA0\xFF", 0},
    EncodeCase{u"Ω", "?", 1},
    EncodeCase{u"a😀b", "a?b", 1},
    EncodeCase{u"Ωμ😀", "???", 3},
    EncodeCase{u"\u0081\u009D", "??", 2},
    EncodeCase{u"caf\xDCE9", "caf\xE9", 0},
    EncodeCase{u"\xDC80\xDCFF", "\x80\xFF", 0},
    EncodeCase{u"x\xD800y", "x?y", 1},
    EncodeCase{u"x\xDC41y", "x?y", 1}));

} // namespace
