#pragma once

#include <QByteArray>
#include <QStringView>

// The list file's code page: one byte per character.
namespace Windows1252 {

// Appends the bytes of text to out. A character the code page cannot hold is written as
// '?'; an escaped byte of an undecodable host name (see NameCodec) is written as that byte.
// Returns how many characters had to be replaced.
qsizetype append(QStringView text, QByteArray& out);

} // namespace Windows1252
