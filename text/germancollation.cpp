#include "text/germancollation.h"

#include "text/namecodec.h"
#include "text/windows1252.h"

#include <QString>

#include <array>
#include <cstring>

namespace {

using GermanCollation::asciiWeight;
using GermanCollation::kNoAccent;
constexpr char kAccent = 2;
constexpr char16_t kTableEnd = 0x250; // Latin-1 and Latin Extended-A/B
constexpr char16_t kCapitalSharpS = 0x1E9E;

struct Weight {
    char16_t primary[2] = {0, 0}; // a second unit only where one letter sorts as two
    bool accented = false;
};

Weight weightOf(char16_t unit)
{
    Weight weight;
    if (unit == u'ß') {
        weight.primary[0] = weight.primary[1] = u's';
        weight.accented = true;
        return weight;
    }
    // Some letters carry two accents ("ǖ" is "ü" with a macron): strip down to the base.
    QChar c(unit);
    while (c.decompositionTag() == QChar::Canonical && !c.decomposition().isEmpty()) {
        c = c.decomposition()[0];
        weight.accented = true;
    }
    weight.primary[0] = c.toCaseFolded().unicode();
    return weight;
}

const std::array<Weight, kTableEnd>& weightTable()
{
    static const auto table = [] {
        std::array<Weight, kTableEnd> weights;
        for (char16_t unit = 0; unit < kTableEnd; ++unit)
            weights[unit] = weightOf(unit);
        // A 0 byte separates the accent weights, so no primary weight may be 0.
        weights[0].primary[0] = 1;
        return weights;
    }();
    return table;
}

void appendUtf8(char32_t codePoint, std::string& out)
{
    if (codePoint < 0x80) {
        out.push_back(char(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(char(0xC0 | (codePoint >> 6)));
        out.push_back(char(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(char(0xE0 | (codePoint >> 12)));
        out.push_back(char(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(char(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (codePoint >> 18)));
        out.push_back(char(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(char(0x80 | (codePoint & 0x3F)));
    }
}

} // namespace

namespace GermanCollation {

void appendSortKey(QStringView text, std::string& key)
{
    std::string accents;
    appendSortKeyParts(text, key, accents);
    if (accents.empty())
        return;
    while (accents.back() == kNoAccent)
        accents.pop_back();
    key.push_back('\0');
    key += accents;
}

void appendSortKeyOfWritten(QByteArrayView written, std::string& key)
{
    if (!NameCodec::isAscii(written)) {
        appendSortKey(Windows1252::decode(written), key);
        return;
    }
    const size_t start = key.size();
    key.resize(start + size_t(written.size()));
    char* const out = key.data() + start;
    const char* const in = written.data();
    qsizetype i = 0;
    for (; i + 8 <= written.size(); i += 8) {
        quint64 eight;
        std::memcpy(&eight, in + i, sizeof eight);
        eight = asciiWeights(eight);
        std::memcpy(out + i, &eight, sizeof eight);
    }
    for (; i < written.size(); ++i)
        out[i] = asciiWeight(char16_t(in[i]));
}

qsizetype appendSortKeyParts(QStringView text, std::string& primary, std::string& accents)
{
    const auto& table = weightTable();
    // Accent weights are only kept from the first accented letter on; most texts have none.
    qsizetype primaryUnits = 0;
    auto noteAccent = [&](bool accented) {
        if (accented && accents.empty())
            accents.assign(size_t(primaryUnits), kNoAccent);
        if (!accents.empty() || accented)
            accents.push_back(accented ? kAccent : kNoAccent);
        ++primaryUnits;
    };
    const qsizetype size = text.size();
    // Most texts begin with a long ASCII run (every path of a walk shares its folders):
    // its weights are the characters in lower case, written in one go.
    const qsizetype asciiRun = NameCodec::asciiPrefixLength(text);
    const size_t runStart = primary.size();
    primary.resize(runStart + size_t(asciiRun));
    char* const run = primary.data() + runStart;
    const char16_t* units = text.utf16();
    for (qsizetype i = 0; i < asciiRun; ++i)
        run[i] = asciiWeight(units[i]);
    primaryUnits = asciiRun;
    for (qsizetype i = asciiRun; i < size; ++i) {
        char16_t unit = text[i].unicode();
        // A byte of a name that is not UTF-8 sorts as the character the list file shows for it.
        if (NameCodec::isEscapedByte(unit))
            unit = Windows1252::characterFor(uchar(unit - 0xDC00));
        if (unit < 0x80) {
            primary.push_back(asciiWeight(unit));
            noteAccent(false);
            continue;
        }
        if (unit < kTableEnd || unit == kCapitalSharpS) {
            const Weight& weight = table[unit == kCapitalSharpS ? u'ß' : unit];
            for (char16_t weightUnit : weight.primary) {
                if (weightUnit == 0)
                    break;
                appendUtf8(weightUnit, primary);
                noteAccent(weight.accented);
            }
            continue;
        }
        char32_t codePoint = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < size && text[i + 1].isLowSurrogate())
            codePoint = QChar::surrogateToUcs4(unit, text[++i].unicode());
        appendUtf8(QChar::toCaseFolded(codePoint), primary);
        noteAccent(false);
    }
    return primaryUnits;
}

} // namespace GermanCollation
