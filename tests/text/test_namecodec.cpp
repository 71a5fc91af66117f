#include "text/namecodec.h"

#include "text/asciiscan.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct DecodeCase {
    QByteArray bytes;
    const char16_t* text;
};

class NameCodecDecode : public ::testing::TestWithParam<DecodeCase> {};

// Every byte sequence survives decode and encode unchanged; valid UTF-8 reads as text,
// every byte that does not decode becomes its own placeholder.
TEST_P(NameCodecDecode, DecodesAndComesBackByteForByte)
{
    const DecodeCase& c = GetParam();
    const QString decoded = NameCodec::decode(c.bytes);
    EXPECT_EQ(decoded, QString::fromUtf16(c.text));
    EXPECT_EQ(NameCodec::encode(decoded), c.bytes);
    EXPECT_EQ(NameCodec::decode(NameCodec::encode(decoded)), decoded);
}

INSTANTIATE_TEST_SUITE_P(Names, NameCodecDecode, ::testing::Values(
    DecodeCase{"", u""},
    DecodeCase{"Liste.txt", u"Liste.txt"},
    DecodeCase{"Gr\xC3\xBC\xC3\x9F" "e", u"Grüße"},
    DecodeCase{"\xE2\x82\xAC \xE6\x97\xA5", u"€ 日"},
    DecodeCase{"\xF0\x9F\x98\x80", u"😀"},
    DecodeCase{"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
    DecodeCase{"caf\xE9", u"caf\xDCE9"},
    DecodeCase{"\xE9t\xE9", u"\xDCE9t\xDCE9"},
    DecodeCase{"\x80", u"\xDC80"},
    DecodeCase{"\xFF\xFE", u"\xDCFF\xDCFE"},
    DecodeCase{"\xC0\xAF", u"\xDCC0\xDCAF"},                  // overlong '/'
    DecodeCase{"\xE0\x80\xAF", u"\xDCE0\xDC80\xDCAF"},        // overlong, three bytes
    DecodeCase{"\xF0\x80\x80\xAF", u"\xDCF0\xDC80\xDC80\xDCAF"},
    DecodeCase{"\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},        // an encoded surrogate
    DecodeCase{"\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"}, // past U+10FFFF
    DecodeCase{"a\xE2\x82", u"a\xDCE2\xDC82"},                // cut short at the end
    DecodeCase{"\xE2\x82" "a", u"\xDCE2\xDC82" "a"},          // cut short before ASCII
    DecodeCase{"\xC3\xC3\xA9", u"\xDCC3\xE9"},                 // a lead byte, then a whole é
    DecodeCase{"\xF0\x9F\x98", u"\xDCF0\xDC9F\xDC98"}));

TEST(NameCodec, SurrogateThatIsNoEscapedByteCannotStandInAName)
{
    EXPECT_EQ(NameCodec::encode(u"a\xD800" "b"), QByteArray("a?b"));
    EXPECT_EQ(NameCodec::encode(u"a\xDC41" "b"), QByteArray("a?b"));
    EXPECT_EQ(NameCodec::encode(u"\xDE00"), QByteArray("?"));
}

// Bytes are looked at eight at a time: one beyond ASCII counts wherever it stands.
TEST(NameCodec, IsAsciiFindsAByteBeyondAsciiAnywhere)
{
    EXPECT_TRUE(NameCodec::isAscii(QByteArrayView()));
    for (const qsizetype length : {1, 7, 8, 9, 16, 23}) {
        const QByteArray ascii(length, 'a');
        EXPECT_TRUE(NameCodec::isAscii(ascii)) << length;
        for (qsizetype at = 0; at < length; ++at) {
            QByteArray other = ascii;
            other[at] = '\x80';
            EXPECT_FALSE(NameCodec::isAscii(other)) << length << " " << at;
        }
    }
}

// Four units make a word: the first unit beyond ASCII, or the first that differs from
// the other text, ends the prefix wherever it stands.
TEST(AsciiScan, PrefixEndsAtTheFirstUnitBeyondAsciiOrUnlikeTheOther)
{
    auto units = [](const QString& text) { return QStringView(text).utf16(); };
    for (const qsizetype length : {0, 1, 3, 4, 5, 8, 11}) {
        const QString ascii(length, u'a');
        EXPECT_EQ(AsciiScan::prefixLength(units(ascii), length), length);
        EXPECT_EQ(AsciiScan::prefixLength(units(ascii), length, units(ascii)), length);
        for (qsizetype at = 0; at < length; ++at) {
            for (const char16_t unit : {u'\xE4', u'\x4E00'}) {
                QString beyond = ascii;
                beyond[at] = unit;
                EXPECT_EQ(AsciiScan::prefixLength(units(beyond), length), at) << length << " " << at;
            }
            QString unlike = ascii;
            unlike[at] = u'b';
            EXPECT_EQ(AsciiScan::prefixLength(units(ascii), length, units(unlike)), at) << length << " " << at;
        }
    }
}

TEST(NameCodec, AppendEncodedKeepsWhatIsThere)
{
    QByteArray out("/home/");
    NameCodec::appendEncoded(u"caf\xDCE9", out);
    EXPECT_EQ(out, QByteArray("/home/caf\xE9"));
}

} // namespace
