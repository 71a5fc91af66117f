#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Host file names are bytes; most are UTF-8, but old ones are often Latin-1. A byte that
// does not decode is kept as the lone surrogate U+DC80..U+DCFF ("surrogateescape"), so the
// name survives the trip into a QString and back unchanged.
namespace NameCodec {

QString decode(const char* bytes, qsizetype length);
inline QString decode(const QByteArray& bytes) { return decode(bytes.constData(), bytes.size()); }

// The inverse of decode. A lone surrogate that is no escaped byte cannot stand in a host
// name and becomes '?'.
QByteArray encode(QStringView text);
void appendEncoded(QStringView text, QByteArray& out);

constexpr bool isEscapedByte(char16_t unit) { return unit >= 0xDC80 && unit <= 0xDCFF; }

// How many units at the start of text are ASCII. Nearly every name and path is ASCII
// throughout, and those are encoded and folded without looking at each unit twice.
qsizetype asciiPrefixLength(QStringView text);
// True when every byte is ASCII: then the bytes are the text, one character each.
bool isAscii(QByteArrayView bytes);

} // namespace NameCodec
