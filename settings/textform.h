#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// How a text file a person may edit is written: in UTF-8 with or without a byte-order mark,
// or in UTF-16 (little or big end first) with one, its lines ending in LF, CR LF or CR
// alone. The text is handled as UTF-8 with LF line breaks (a CR before an LF stays part of
// its line) and written back in the file's own form. Bytes that are not valid in the
// file's encoding (an old name in Latin-1) pass through unchanged, in the way NameCodec
// keeps them.
class TextForm {
public:
    // The form of a file's content; an empty or unmarked file is UTF-8. A file with a NUL
    // byte in it (UTF-16 without its mark, UTF-32) is in no form this class can write.
    static TextForm of(QByteArrayView file);

    // The file's text as UTF-8 with LF line breaks.
    QByteArray text(QByteArrayView file) const;
    // The text in this form; nothing where the form cannot hold it so that it reads back
    // the same (a byte that is no UTF-8 in a UTF-16 file, a surrogate no pair completes).
    std::optional<QByteArray> file(QByteArrayView text) const;
    // Whether the file's bytes come back unchanged through text() and file(): only then can
    // a changed text be written without changing what the person did not change.
    bool keeps(QByteArrayView file) const;

private:
    enum class Encoding { Utf8, Utf16LittleEndian, Utf16BigEndian };

    QByteArray bodyText(QByteArrayView body) const;
    QByteArray bodyBytes(QByteArrayView text) const;
    QByteArrayView byteOrderMark() const;

    Encoding m_encoding = Encoding::Utf8;
    bool m_byteOrderMark = false;
    bool m_carriageReturnsOnly = false;
    bool m_writable = true;
};
