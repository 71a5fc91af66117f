#include "settings/textform.h"

#include "text/namecodec.h"

#include <QString>

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr char kLittleEndianMark[] = "\xFF\xFE";
constexpr char kBigEndianMark[] = "\xFE\xFF";

QByteArray withLineBreaks(QByteArray text, char from, char to)
{
    text.replace(from, to);
    return text;
}

// UTF-16 units into text. A lone unit U+DC80..U+DCFF stands for the byte that was not
// UTF-8 where the file was written, as in a name kept by NameCodec.
QByteArray fromUtf16(QByteArrayView bytes, bool bigEndian)
{
    QString units(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < units.size(); ++i) {
        const auto first = quint8(bytes[2 * i]);
        const auto second = quint8(bytes[2 * i + 1]);
        units[i] = QChar(char16_t(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    return NameCodec::encode(units);
}

QByteArray toUtf16(QByteArrayView text, bool bigEndian)
{
    const QString units = NameCodec::decode(text.data(), text.size());
    QByteArray bytes(units.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i].unicode();
        bytes[2 * i] = char(bigEndian ? unit >> 8 : unit & 0xFF);
        bytes[2 * i + 1] = char(bigEndian ? unit & 0xFF : unit >> 8);
    }
    return bytes;
}

} // namespace

TextForm TextForm::of(QByteArrayView file)
{
    TextForm form;
    if (file.startsWith(kUtf8Mark)) {
        form.m_byteOrderMark = true;
    } else if (file.startsWith(kLittleEndianMark) || file.startsWith(kBigEndianMark)) {
        form.m_byteOrderMark = true;
        form.m_encoding = file.startsWith(kBigEndianMark) ? Encoding::Utf16BigEndian : Encoding::Utf16LittleEndian;
    }
    const QByteArray text = form.bodyText(file.sliced(form.byteOrderMark().size()));
    form.m_carriageReturnsOnly = text.contains('\r') && !text.contains('\n');
    form.m_writable = !text.contains('\0');
    return form;
}

QByteArrayView TextForm::byteOrderMark() const
{
    if (!m_byteOrderMark)
        return {};
    switch (m_encoding) {
    case Encoding::Utf8:
        return kUtf8Mark;
    case Encoding::Utf16LittleEndian:
        return kLittleEndianMark;
    case Encoding::Utf16BigEndian:
        break;
    }
    return kBigEndianMark;
}

QByteArray TextForm::bodyText(QByteArrayView body) const
{
    if (m_encoding == Encoding::Utf8)
        return body.toByteArray();
    return fromUtf16(body, m_encoding == Encoding::Utf16BigEndian);
}

QByteArray TextForm::bodyBytes(QByteArrayView text) const
{
    if (m_encoding == Encoding::Utf8)
        return text.toByteArray();
    return toUtf16(text, m_encoding == Encoding::Utf16BigEndian);
}

QByteArray TextForm::text(QByteArrayView file) const
{
    const QByteArray text = bodyText(file.sliced(byteOrderMark().size()));
    return m_carriageReturnsOnly ? withLineBreaks(text, '\r', '\n') : text;
}

std::optional<QByteArray> TextForm::file(QByteArrayView text) const
{
    // In a file of CR line ends a lone CR would come back as a line break.
    if (!m_writable || (m_carriageReturnsOnly && text.contains('\r')))
        return std::nullopt;
    const QByteArray body = bodyBytes(m_carriageReturnsOnly ? withLineBreaks(text.toByteArray(), '\n', '\r') : text);
    QByteArray file = byteOrderMark().toByteArray() + body;
    if (this->text(file) != text)
        return std::nullopt;
    return file;
}

bool TextForm::keeps(QByteArrayView file) const
{
    const std::optional<QByteArray> back = this->file(text(file));
    return back && *back == file;
}
