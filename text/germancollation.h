#pragma once

#include "text/asciiscan.h"

#include <QByteArrayView>
#include <QStringView>

#include <string>

// The order a German reader expects of a sorted list: letter case not counted, umlauts
// and other accented letters with their base letter ("ä" with "a", "ß" as "ss"), and
// where two texts differ only in accents, the unaccented one first.
namespace GermanCollation {

// Appends a key whose byte order (memcmp, shorter first) is that order: the primary
// weights, then, only for a text with accents, a 0 byte and one accent weight per
// primary weight. Computed once per entry, so sorting never folds a text again.
void appendSortKey(QStringView text, std::string& key);

// The same key in two parts, for a text kept in pieces: the primary weights are appended
// to primary, and accents (empty on entry) gets one accent weight per primary weight, or
// stays empty when the text has no accented letter. The parts of two pieces, joined (an
// empty accent part standing for kNoAccent at each of its weights), are the parts of the
// joined text. Returns the number of primary weights.
qsizetype appendSortKeyParts(QStringView text, std::string& primary, std::string& accents);
// The key appendSortKey gives a text written in the list file's code page (Windows-1252),
// once decoded: an ASCII text, as most are, is keyed from its bytes, eight at a time.
void appendSortKeyOfWritten(QByteArrayView written, std::string& key);

// The primary weight of an ASCII character: a text of ASCII characters alone has one
// weight per character and no accents. Never 0, which separates the accent weights.
constexpr char asciiWeight(char16_t unit)
{
    return char(unit + (char16_t(unit - u'A') < 26 ? 32 : 0) + (unit == 0 ? 1 : 0));
}
// The weights of eight ASCII characters at once, none of them 0, read as one word.
constexpr quint64 asciiWeights(quint64 eight) { return AsciiScan::lowerCase(eight); }

inline constexpr char kNoAccent = 1;

} // namespace GermanCollation
