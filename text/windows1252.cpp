#include "text/windows1252.h"

#include "text/namecodec.h"

#include <array>

namespace {

// The characters behind 0x80..0x9F; 0 marks the five bytes the code page leaves unused.
constexpr std::array<char16_t, 32> kHighControlRange = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

int byteFor(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return unit;
    if (NameCodec::isEscapedByte(unit))
        return unit - 0xDC00;
    for (int i = 0; i < int(kHighControlRange.size()); ++i) {
        if (kHighControlRange[i] != 0 && kHighControlRange[i] == unit)
            return 0x80 + i;
    }
    return -1;
}

// Below U+0300 nothing composes: no combining mark, and no character that composition
// would change, so the common text is encoded without building a composed copy.
bool mayNeedComposition(QStringView text)
{
    for (const QChar ch : text) {
        if (ch.unicode() >= 0x300)
            return true;
    }
    return false;
}

qsizetype appendComposed(QStringView text, QByteArray& out)
{
    // Written through a pointer into room made once: one byte per character at most.
    qsizetype replaced = 0;
    const qsizetype size = text.size();
    const qsizetype start = out.size();
    out.resize(start + size);
    char* const first = out.data() + start;
    char* o = first;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text[i].unicode();
        const int byte = byteFor(unit);
        if (byte >= 0) {
            *o++ = char(byte);
            continue;
        }
        // A surrogate pair is one character, so it becomes one '?'.
        if (QChar::isHighSurrogate(unit) && i + 1 < size && text[i + 1].isLowSurrogate())
            ++i;
        *o++ = '?';
        ++replaced;
    }
    out.truncate(start + (o - first));
    return replaced;
}

} // namespace

namespace Windows1252 {

qsizetype append(QStringView text, QByteArray& out)
{
    // Names copied from some systems carry "e" and a combining accent where the code page
    // holds the one character "é".
    if (mayNeedComposition(text))
        return appendComposed(text.toString().normalized(QString::NormalizationForm_C), out);
    return appendComposed(text, out);
}

char16_t characterFor(unsigned char byte)
{
    if (byte < 0x80 || byte >= 0xA0)
        return byte;
    const char16_t character = kHighControlRange[byte - 0x80];
    return character != 0 ? character : char16_t(QChar::ReplacementCharacter);
}

QString decode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(characterFor(uchar(byte)));
    return text;
}

QString displayText(QStringView text)
{
    QString shown = text.toString();
    for (QChar& unit : shown) {
        if (NameCodec::isEscapedByte(unit.unicode()))
            unit = QChar(characterFor(uchar(unit.unicode() - 0xDC00)));
    }
    return shown;
}

} // namespace Windows1252
