#include "text/namecodec.h"

#include "text/asciiscan.h"

#include <algorithm>

namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Decodes one well-formed multi-byte UTF-8 sequence; rejects overlong forms, encoded
// surrogates and code points past U+10FFFF, as a strict decoder must.
bool decodeSequence(const unsigned char* s, qsizetype available, char32_t& codePoint, int& length)
{
    const unsigned char lead = s[0];
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return false;
    }
    if (available < length || s[1] < low || s[1] > high)
        return false;
    for (int i = 1; i < length; ++i) {
        if (!isContinuation(s[i]))
            return false;
        codePoint = (codePoint << 6) | (s[i] & 0x3F);
    }
    return true;
}

} // namespace

namespace NameCodec {

QString decode(const char* bytes, qsizetype length)
{
    QString text(length, Qt::Uninitialized);
    auto* out = reinterpret_cast<char16_t*>(text.data());
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    // The ASCII bytes first, the usual case: one unit each.
    const qsizetype ascii = AsciiScan::prefixLength(bytes, length);
    std::copy(in, in + ascii, out);
    qsizetype written = ascii;
    qsizetype i = ascii;
    while (i < length) {
        const unsigned char byte = in[i];
        if (byte < 0x80) {
            out[written++] = byte;
            ++i;
            continue;
        }
        char32_t codePoint = 0;
        int sequenceLength = 0;
        if (!decodeSequence(in + i, length - i, codePoint, sequenceLength)) {
            out[written++] = char16_t(0xDC00 + byte);
            ++i;
            continue;
        }
        if (codePoint >= 0x10000) {
            out[written++] = QChar::highSurrogate(codePoint);
            out[written++] = QChar::lowSurrogate(codePoint);
        } else {
            out[written++] = char16_t(codePoint);
        }
        i += sequenceLength;
    }
    text.truncate(written);
    return text;
}

qsizetype asciiPrefixLength(QStringView text)
{
    return AsciiScan::prefixLength(text.utf16(), text.size());
}

bool isAscii(QByteArrayView bytes)
{
    return AsciiScan::prefixLength(bytes.data(), bytes.size()) == bytes.size();
}

void appendEncoded(QStringView text, QByteArray& out)
{
    // Written through a pointer into room made once: appending byte by byte costs more
    // than the encoding itself, and this runs for every path of a run.
    const qsizetype size = text.size();
    const qsizetype start = out.size();
    const qsizetype ascii = asciiPrefixLength(text);
    // A unit after the ASCII ones takes at most three bytes (a surrogate pair four for two).
    out.resize(start + ascii + 3 * (size - ascii));
    char* const first = out.data() + start;
    char* o = first;
    const char16_t* units = text.utf16();
    for (qsizetype i = 0; i < ascii; ++i)
        *o++ = char(units[i]);
    for (qsizetype i = ascii; i < size; ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            *o++ = char(unit);
        } else if (unit < 0x800) {
            *o++ = char(0xC0 | (unit >> 6));
            *o++ = char(0x80 | (unit & 0x3F));
        } else if (QChar::isHighSurrogate(unit) && i + 1 < size && text[i + 1].isLowSurrogate()) {
            const char32_t codePoint = QChar::surrogateToUcs4(unit, text[i + 1].unicode());
            ++i;
            *o++ = char(0xF0 | (codePoint >> 18));
            *o++ = char(0x80 | ((codePoint >> 12) & 0x3F));
            *o++ = char(0x80 | ((codePoint >> 6) & 0x3F));
            *o++ = char(0x80 | (codePoint & 0x3F));
        } else if (isEscapedByte(unit)) {
            *o++ = char(unit - 0xDC00);
        } else if (QChar::isSurrogate(unit)) {
            *o++ = '?';
        } else {
            *o++ = char(0xE0 | (unit >> 12));
            *o++ = char(0x80 | ((unit >> 6) & 0x3F));
            *o++ = char(0x80 | (unit & 0x3F));
        }
    }
    out.truncate(start + (o - first));
}

QByteArray encode(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    appendEncoded(text, out);
    return out;
}

} // namespace NameCodec
