#include "table/tablewriter.h"

#include "files/chunkedoutput.h"
#include "files/outputfile.h"
#include "listing/listbox.h"
#include "text/namecodec.h"
#include "text/windows1252.h"

#include <charconv>
#include <limits>
#include <string>

#include <time.h>

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr char kHeader[] = "Pfad;Ordner;Name;Gr\xC3\xB6\xC3\x9F"
                           "e (Bytes);Ge\xC3\xA4ndert\r\n";

// Stored text as the list shows it, in UTF-8: a byte of a name that is not UTF-8 as the
// list file spells it.
void appendShown(QByteArrayView stored, std::string& out)
{
    if (NameCodec::isAscii(stored)) {
        out.append(stored.data(), size_t(stored.size()));
        return;
    }
    const QByteArray shown = Windows1252::displayText(NameCodec::decode(stored.data(), stored.size())).toUtf8();
    out.append(shown.constData(), size_t(shown.size()));
}

bool needsQuotes(const std::string& field) { return field.find_first_of(";\"\r\n") != std::string::npos; }

template <typename Out>
void appendEscaped(const std::string& field, Out& out)
{
    size_t from = 0;
    for (size_t quote = field.find('"'); quote != std::string::npos; quote = field.find('"', quote + 1)) {
        out.append(field.data() + from, quote + 1 - from);
        out.append("\"", 1);
        from = quote + 1;
    }
    out.append(field.data() + from, field.size() - from);
}

// A field, in quotes where asked; guarded, with a "'" before its text.
template <typename Out>
void appendField(const std::string& field, bool quoted, Out& out, bool guarded = false)
{
    if (quoted)
        out.append("\"", 1);
    if (guarded)
        out.append("'", 1);
    if (quoted)
        appendEscaped(field, out);
    else
        out.append(field.data(), field.size());
    if (quoted)
        out.append("\"", 1);
}

bool startsAsFormula(const std::string& name)
{
    return !name.empty() && std::string_view("=+-@\t").find(name.front()) != std::string_view::npos;
}

// "2026-12-07 14:03:59" in the local time zone.
class TimeText {
public:
    const std::string& of(qint64 seconds)
    {
        if (seconds == m_seconds)
            return m_text;
        m_seconds = seconds;
        m_text.clear();
        const time_t time = time_t(seconds);
        tm local{};
        if (!localtime_r(&time, &local))
            return m_text;
        appendNumber(local.tm_year + 1900, 4);
        m_text += '-';
        appendNumber(local.tm_mon + 1, 2);
        m_text += '-';
        appendNumber(local.tm_mday, 2);
        m_text += ' ';
        appendNumber(local.tm_hour, 2);
        m_text += ':';
        appendNumber(local.tm_min, 2);
        m_text += ':';
        appendNumber(local.tm_sec, 2);
        return m_text;
    }

private:
    void appendNumber(int value, size_t digits)
    {
        char buffer[16];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        const size_t length = size_t(end - buffer);
        if (value >= 0 && length < digits)
            m_text.append(digits - length, '0');
        m_text.append(buffer, length);
    }

    qint64 m_seconds = std::numeric_limits<qint64>::min();
    std::string m_text;
};

// Makes the table's rows. The entries of one folder mostly follow one another: their
// folder is made into text once for each such run.
class TableRows {
public:
    template <typename Out>
    void append(const ListBox::EncodedItem& entry, const FileFact& fact, Out& out)
    {
        if (!m_headKnown || entry.head != m_head)
            takeHead(entry);
        m_name.clear();
        appendShown(entry.rest, m_name);
        const bool nameQuoted = needsQuotes(m_name);
        appendPath(nameQuoted, out);
        out.append(";", 1);
        appendField(m_folder, m_folderQuoted, out);
        out.append(";", 1);
        appendField(m_name, nameQuoted, out, startsAsFormula(m_name));
        out.append(";", 1);
        if (fact.state == FileFact::State::Known) {
            char size[24];
            const auto end = std::to_chars(size, size + sizeof size, fact.size).ptr;
            out.append(size, size_t(end - size));
            out.append(";", 1);
            const std::string& time = m_time.of(fact.modified);
            out.append(time.data(), time.size());
        } else {
            out.append(";", 1);
        }
        out.append("\r\n", 2);
    }

private:
    void takeHead(const ListBox::EncodedItem& entry)
    {
        m_headKnown = true;
        m_head = entry.head;
        m_headText.clear();
        appendShown(entry.headText, m_headText);
        m_headQuoted = needsQuotes(m_headText);
        // "C:\Daten\" is the folder "C:\Daten"; a drive's root keeps its '\'.
        m_folder = m_headText;
        if (m_folder.size() > 3 && m_folder.back() == '\\')
            m_folder.pop_back();
        m_folderQuoted = m_headQuoted;
    }

    template <typename Out>
    void appendPath(bool nameQuoted, Out& out)
    {
        if (!m_headQuoted && !nameQuoted) {
            out.append(m_headText.data(), m_headText.size());
            out.append(m_name.data(), m_name.size());
            return;
        }
        out.append("\"", 1);
        appendEscaped(m_headText, out);
        appendEscaped(m_name, out);
        out.append("\"", 1);
    }

    bool m_headKnown = false;
    quint32 m_head = 0;
    std::string m_headText;
    bool m_headQuoted = false;
    std::string m_folder;
    bool m_folderQuoted = false;
    std::string m_name;
    TimeText m_time;
};

qint64 tableSize(ListBox& entries, const std::vector<FileFact>& facts)
{
    ByteCount count;
    count.append(kByteOrderMark, sizeof kByteOrderMark - 1);
    count.append(kHeader, sizeof kHeader - 1);
    TableRows rows;
    for (size_t i = 0; i < facts.size(); ++i)
        rows.append(entries.encodedItem(qsizetype(i)), facts[i], count);
    return count.size;
}

bool writeContent(FileReplacement& file, ListBox& entries, const std::vector<FileFact>& facts)
{
    ChunkedOutput out(file);
    out.append(kByteOrderMark, sizeof kByteOrderMark - 1);
    out.append(kHeader, sizeof kHeader - 1);
    TableRows rows;
    for (size_t i = 0; i < facts.size(); ++i) {
        rows.append(entries.encodedItem(qsizetype(i)), facts[i], out);
        if (!out.lineDone())
            return false;
    }
    return out.flush();
}

} // namespace

TableWriter::Outcome TableWriter::write(const OutputFile& target, ListBox& entries, const std::vector<FileFact>& facts)
{
    if (target.failure != WriteFailure::None)
        return {false, target.failure};
    FileReplacement file(target.folder, target.name);
    const bool written = file.isOpen() && (!file.writesInPlace() || file.reserve(tableSize(entries, facts)))
        && writeContent(file, entries, facts) && file.commit();
    return {written, file.failure()};
}
