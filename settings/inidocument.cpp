#include "settings/inidocument.h"

#include "text/asciiscan.h"
#include "text/namecodec.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

bool isBlank(QChar ch) { return ch == u' ' || ch == u'\t'; }

// The value of a hexadecimal digit; 16 for any other character.
int digitValue(QChar ch)
{
    const char16_t unit = ch.unicode();
    if (unit >= u'0' && unit <= u'9')
        return unit - u'0';
    if (unit >= u'a' && unit <= u'f')
        return unit - u'a' + 10;
    if (unit >= u'A' && unit <= u'F')
        return unit - u'A' + 10;
    return 16;
}

bool isHexDigit(QChar ch) { return digitValue(ch) < 16; }

QStringView withoutBlanks(QStringView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

// The digits of a numeric escape, read as far as they go; i is on the first digit.
qsizetype appendNumber(QStringView text, qsizetype i, int base, QString& out)
{
    uint value = 0;
    const qsizetype first = i;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i]);
        if (digit >= base)
            break;
        value = value * uint(base) + uint(digit);
    }
    if (i > first)
        out += QChar(char16_t(value));
    return i;
}

// The escapes earlier versions wrote: "\\" for a backslash, "\"" for a quote, "\n" and
// the like for control characters. A backslash before anything else stays as it is.
QString unescaped(QStringView text)
{
    static constexpr std::pair<char16_t, char16_t> kNamedEscapes[] = {
        {u'\\', u'\\'}, {u'"', u'"'}, {u'\'', u'\''}, {u'?', u'?'}, {u'a', u'\a'}, {u'b', u'\b'},
        {u'f', u'\f'}, {u'n', u'\n'}, {u'r', u'\r'}, {u't', u'\t'}, {u'v', u'\v'},
    };
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char16_t next = text[i + 1].unicode();
        const auto named = std::find_if(std::begin(kNamedEscapes), std::end(kNamedEscapes),
                                        [next](const auto& escape) { return escape.first == next; });
        if (named != std::end(kNamedEscapes)) {
            out += QChar(named->second);
            ++i;
        } else if (next == u'x' && i + 2 < text.size() && isHexDigit(text[i + 2])) {
            i = appendNumber(text, i + 2, 16, out) - 1;
        } else if (next >= u'0' && next <= u'7') {
            i = appendNumber(text, i + 1, 8, out) - 1;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Earlier versions doubled every backslash and quoted a value with blanks around it or a
// comma in it; a person writes "C:\tmp\daten" as it is. Only the doubled backslash or an
// escaped quote, or quotes around the whole value, tell the first form.
QString decodedValue(QByteArrayView raw)
{
    if (raw.endsWith('\r'))
        raw.chop(1);
    const QString decoded = NameCodec::decode(raw.data(), raw.size());
    QStringView text = withoutBlanks(decoded);
    const bool quoted = text.size() >= 2 && text.front() == u'"' && text.back() == u'"';
    if (quoted)
        text = text.sliced(1, text.size() - 2);
    QString value = quoted || text.contains(u"\\\\") || text.contains(u"\\\"") ? unescaped(text) : text.toString();
    // Earlier versions doubled a leading '@' so that no text passed for a typed value.
    if (value.startsWith(u"@@"))
        value.remove(0, 1);
    return value;
}

bool needsEscapedForm(QStringView text)
{
    if (text.isEmpty())
        return false;
    if (isBlank(text.front()) || isBlank(text.back()) || text.front() == u'"')
        return true;
    if (text.contains(u"\\\\") || text.contains(u"\\\""))
        return true;
    return std::any_of(text.begin(), text.end(), [](QChar ch) { return AsciiScan::isControl(ch.unicode()); });
}

// The letter that stands for a character after a backslash; 0 for none.
char16_t escapeLetter(QChar ch)
{
    switch (ch.unicode()) {
    case u'\\':
    case u'"':
        return ch.unicode();
    case u'\n':
        return u'n';
    case u'\r':
        return u'r';
    case u'\t':
        return u't';
    default:
        return 0;
    }
}

QString escapedForm(QStringView text)
{
    QString out = QStringLiteral("\"");
    // A digit right after a numeric escape would be read as part of it, so it is escaped too.
    bool afterNumber = false;
    for (const QChar ch : text) {
        const char16_t letter = escapeLetter(ch);
        const bool number = letter == 0 && (AsciiScan::isControl(ch.unicode()) || (afterNumber && isHexDigit(ch)));
        if (letter != 0) {
            out += u'\\';
            out += QChar(letter);
        } else if (number) {
            out += QStringLiteral("\\x") + QString::number(ch.unicode(), 16);
        } else {
            out += ch;
        }
        afterNumber = number;
    }
    return out + u'"';
}

// As a person writes it where that reads back the same; in the quoted, escaped form where a
// control character, blanks at either end or a doubled backslash would not.
QByteArray encodedValue(const QString& value)
{
    const QString text = value.startsWith(u'@') ? u'@' + value : value;
    return NameCodec::encode(needsEscapedForm(text) ? escapedForm(text) : text);
}

bool isWritableName(QStringView name)
{
    if (name.isEmpty() || isBlank(name.front()) || isBlank(name.back()) || name.front() == u';'
        || name.front() == u'#')
        return false;
    return std::none_of(name.begin(), name.end(),
                        [](QChar ch) { return AsciiScan::isControl(ch.unicode()) || ch == u'=' || ch == u'[' || ch == u']'; });
}

QString decodedName(QByteArrayView raw)
{
    return withoutBlanks(NameCodec::decode(raw.data(), raw.size())).toString();
}

} // namespace

IniDocument IniDocument::parse(const QByteArray& bytes)
{
    IniDocument document;
    qsizetype section = -1;
    for (qsizetype start = 0; start < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        Line line;
        line.text = bytes.sliced(start, end - start);
        start = end + 1;
        const QByteArray trimmed = line.text.trimmed();
        const qsizetype equals = line.text.indexOf('=');
        if (trimmed.startsWith('[')) {
            const qsizetype close = trimmed.indexOf(']');
            // Keys below a header without its ']' belong to no section we could name.
            section = close < 0 ? -1 : document.m_sections.size();
            if (close >= 0) {
                document.m_sections.append(decodedName(trimmed.sliced(1, close - 1)));
                line.kind = Kind::Header;
            }
        } else if (!trimmed.startsWith(';') && !trimmed.startsWith('#') && equals > 0) {
            line.key = decodedName(line.text.first(equals));
            line.kind = line.key.isEmpty() ? Kind::Other : Kind::Entry;
            line.valueStart = equals + 1;
        }
        line.section = section;
        document.m_lines.append(line);
    }
    if (!document.m_lines.isEmpty() && document.m_lines.first().text.endsWith('\r'))
        document.m_carriageReturn = "\r";
    return document;
}

bool IniDocument::sectionMatches(qsizetype index, QStringView section) const
{
    return index >= 0 && m_sections[index].compare(section, Qt::CaseInsensitive) == 0;
}

qsizetype IniDocument::lastEntry(QStringView section, QStringView key) const
{
    for (qsizetype i = m_lines.size() - 1; i >= 0; --i) {
        const Line& line = m_lines[i];
        if (line.kind == Kind::Entry && sectionMatches(line.section, section)
            && line.key.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qsizetype IniDocument::lastLineOfSection(QStringView section) const
{
    qsizetype header = m_lines.size() - 1;
    while (header >= 0 && !(m_lines[header].kind == Kind::Header && sectionMatches(m_lines[header].section, section)))
        --header;
    if (header < 0)
        return -1;
    qsizetype last = header;
    for (qsizetype i = header + 1; i < m_lines.size() && m_lines[i].section == m_lines[header].section; ++i) {
        if (!m_lines[i].text.trimmed().isEmpty())
            last = i;
    }
    return last;
}

std::optional<QString> IniDocument::value(QStringView section, QStringView key) const
{
    const qsizetype index = lastEntry(section, key);
    if (index < 0)
        return std::nullopt;
    const Line& line = m_lines[index];
    return decodedValue(QByteArrayView(line.text).sliced(line.valueStart));
}

QByteArray IniDocument::entryText(const QString& key, const QString& value, const QByteArray& lineEnd) const
{
    return NameCodec::encode(key) + '=' + encodedValue(value) + lineEnd;
}

bool IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    if (!isWritableName(section) || !isWritableName(key))
        return false;
    if (const qsizetype index = lastEntry(section, key); index >= 0) {
        Line& line = m_lines[index];
        line.text = entryText(line.key, value, line.text.endsWith('\r') ? "\r" : "");
        line.valueStart = line.text.indexOf('=') + 1;
        return true;
    }
    Line entry;
    entry.text = entryText(key, value, m_carriageReturn);
    entry.kind = Kind::Entry;
    entry.key = key;
    entry.valueStart = entry.text.indexOf('=') + 1;
    if (const qsizetype last = lastLineOfSection(section); last >= 0) {
        entry.section = m_lines[last].section;
        m_lines.insert(last + 1, entry);
        return true;
    }
    entry.section = m_sections.size();
    m_sections.append(section);
    Line header;
    header.text = '[' + NameCodec::encode(section) + ']' + m_carriageReturn;
    header.kind = Kind::Header;
    header.section = entry.section;
    if (!m_lines.isEmpty() && !m_lines.last().text.trimmed().isEmpty()) {
        Line blank;
        blank.text = m_carriageReturn;
        blank.section = m_lines.last().section;
        m_lines.append(blank);
    }
    m_lines.append(header);
    m_lines.append(entry);
    return true;
}

QList<std::pair<QString, QString>> IniDocument::entries(QStringView section) const
{
    QList<std::pair<QString, QString>> found;
    for (const Line& line : m_lines) {
        if (line.kind == Kind::Entry && sectionMatches(line.section, section))
            found.append({line.key, decodedValue(QByteArrayView(line.text).sliced(line.valueStart))});
    }
    return found;
}

qsizetype IniDocument::headerCount(QStringView section) const
{
    return std::count_if(m_lines.cbegin(), m_lines.cend(), [&](const Line& line) {
        return line.kind == Kind::Header && sectionMatches(line.section, section);
    });
}

bool IniDocument::replaceEntries(const QString& section, const QList<std::pair<QString, QString>>& entries)
{
    if (!isWritableName(section)
        || !std::all_of(entries.cbegin(), entries.cend(), [](const auto& entry) { return isWritableName(entry.first); }))
        return false;
    bool headerSeen = false;
    const auto dropped = std::remove_if(m_lines.begin(), m_lines.end(), [&](const Line& line) {
        if (!sectionMatches(line.section, section))
            return false;
        if (line.kind == Kind::Header)
            return std::exchange(headerSeen, true);
        return line.kind == Kind::Entry;
    });
    m_lines.erase(dropped, m_lines.end());
    for (const auto& [key, value] : entries)
        setValue(section, key, value);
    return true;
}

QByteArray IniDocument::bytes() const
{
    QByteArray out;
    for (const Line& line : m_lines)
        out += line.text + '\n';
    return out;
}
