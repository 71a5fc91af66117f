#pragma once

#include <QByteArray>
#include <QStringView>

// The list file's code page: one byte per character.
namespace Windows1252 {

// Appends the bytes of text, composed (Unicode form C), to out. A character the code page
// cannot hold even when composed is written as '?'; an escaped byte of an undecodable host
// name (see NameCodec) is written as that byte. Returns how many characters were replaced.
qsizetype append(QStringView text, QByteArray& out);

} // namespace Windows1252
