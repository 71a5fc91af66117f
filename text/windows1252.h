#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// The list file's code page: one byte per character.
namespace Windows1252 {

// Appends the bytes of text, composed (Unicode form C), to out. A character the code page
// cannot hold even when composed is written as '?'; an escaped byte of an undecodable host
// name (see NameCodec) is written as that byte. Returns how many characters were replaced.
qsizetype append(QStringView text, QByteArray& out);

// The character a byte stands for; U+FFFD for the five bytes the code page leaves unused.
char16_t characterFor(unsigned char byte);
// Written bytes as the characters they stand for: a line of a list file as its reader sees it.
QString decode(QByteArrayView bytes);

// text as a reader of the list file sees it: each escaped byte of an undecodable host name
// becomes the character of that byte, so a list shows what the list file will hold.
QString displayText(QStringView text);

} // namespace Windows1252
