#include "generation/listfilewriter.h"

#include "drives/drivetable.h"
#include "generation/leftoutentries.h"
#include "generation/productinfo.h"
#include "listing/listbox.h"
#include "text/namecodec.h"
#include "text/windows1252.h"

#include <algorithm>
#include <optional>
#include <string>

namespace {

constexpr qsizetype kChunkSize = qsizetype(1) << 20;
constexpr char kLineEnd[] = "\r\n";

// The list file as the host knows it: its folder and its own name there.
struct HostTarget {
    QByteArray folder;
    QByteArray name;
    WriteFailure failure = WriteFailure::None;
};

// A name that ends in a separator, "." or ".." names a folder, never a file; and a name
// must reach the host exactly as it stands, not with '?' for a character it cannot hold.
HostTarget hostTarget(const QString& targetFolder, const QString& fileName)
{
    if (!WindowsPath::parse(targetFolder))
        return {{}, {}, WriteFailure::FolderMissing};
    const QString listPath = WindowsPath::listFilePath(targetFolder, fileName);
    const QStringView lastName = WindowsPath::lastTypedName(listPath);
    const std::optional<WindowsPath> file = WindowsPath::parse(listPath);
    if (!file || file->isRoot() || lastName.isEmpty() || lastName == u"." || lastName == u"..")
        return {{}, {}, WriteFailure::InvalidName};
    const QByteArray name = NameCodec::encode(file->names().last());
    if (NameCodec::decode(name) != file->names().last())
        return {{}, {}, WriteFailure::InvalidName};
    const std::optional<QByteArray> folder = DriveTable::active().hostPathOf(file->parent());
    if (!folder)
        return {{}, {}, WriteFailure::FolderMissing};
    return {*folder, name};
}

// Stored text in the list file's code page: ASCII as it is, anything else decoded and
// written character by character. True when a character had to be replaced.
bool appendInCodePage(QByteArrayView stored, QByteArray& out)
{
    if (NameCodec::isAscii(stored)) {
        out.append(stored);
        return false;
    }
    return Windows1252::append(NameCodec::decode(stored.data(), stored.size()), out) > 0;
}

// Makes the list file's lines. The entries of one folder mostly follow one another and
// share the head of their text, up to its last '\': it is written into the code page once
// for each such run. (No character composes across a '\', so converting head and rest
// apart gives the bytes of the whole text.)
class EntryLines {
public:
    // True when a character of the entry had to be replaced. Out takes append(data, size):
    // the chunk being made, or a count of its bytes.
    template <typename Out>
    bool append(const ListBox::EncodedItem& entry, Out& out)
    {
        if (!m_headKnown || entry.head != m_head) {
            m_headKnown = true;
            m_head = entry.head;
            m_headLine.truncate(0); // keeps its room, unlike clear()
            m_headReplaced = appendInCodePage(entry.headText, m_headLine);
        }
        out.append(m_headLine.constData(), size_t(m_headLine.size()));
        bool restReplaced = false;
        if (NameCodec::isAscii(entry.rest)) {
            out.append(entry.rest.data(), size_t(entry.rest.size()));
        } else {
            m_restLine.truncate(0);
            restReplaced = appendInCodePage(entry.rest, m_restLine);
            out.append(m_restLine.constData(), size_t(m_restLine.size()));
        }
        out.append(kLineEnd, sizeof kLineEnd - 1);
        return m_headReplaced || restReplaced;
    }

private:
    bool m_headKnown = false;
    quint32 m_head = 0;
    QByteArray m_headLine;
    bool m_headReplaced = false;
    QByteArray m_restLine;
};

// Where the list is written over the old file, its exact size is needed before the first
// byte: the lines are made once more, only to be counted.
struct ByteCount {
    qint64 size = 0;
    void append(const char*, size_t length) { size += qint64(length); }
};

qint64 listFileSize(ListBox& entries, const QByteArray& footerBytes)
{
    ByteCount count;
    EntryLines lines;
    const qsizetype entryCount = entries.ListCount();
    for (qsizetype i = 0; i < entryCount; ++i)
        lines.append(entries.encodedItem(i), count);
    return count.size + footerBytes.size();
}

void appendTextLine(QStringView label, QStringView value, QByteArray& out)
{
    Windows1252::append(label, out);
    Windows1252::append(value, out);
    out.append(kLineEnd);
}

bool hasLatinDigits(const QLocale& locale) { return locale.zeroDigit() == u"0"; }

bool isInCodePage(QChar character)
{
    QByteArray unused;
    return Windows1252::append(QStringView(&character, 1), unused) == 0;
}

// The code page has no digits but Latin ones: a locale that writes others (Persian,
// Arabic, Bengali, ...) gets its date with Latin digits, and without the characters the code
// page lacks (the direction marks around them), instead of a line of '?'.
QString withLatinDigits(const QString& date)
{
    QString latin;
    for (const char32_t character : date.toUcs4()) {
        if (const int digit = QChar::digitValue(character); digit >= 0)
            latin += QChar(u'0' + digit);
        else if (!QChar::requiresSurrogates(character) && isInCodePage(QChar(char16_t(character))))
            latin += QChar(char16_t(character));
    }
    return latin;
}

QString dateText(const QDate& today, const QLocale& locale)
{
    const QString date = locale.toString(today, QLocale::ShortFormat);
    return hasLatinDigits(locale) ? date : withLatinDigits(date);
}

bool writeChunk(FileReplacement& file, std::string& chunk)
{
    const bool written = file.write(QByteArrayView(chunk.data(), qsizetype(chunk.size())));
    chunk.clear();
    return written;
}

// Encodes the entries chunk by chunk into one reused buffer, so a list of a million
// entries never stands in memory a second time. The chunks are written on the run's own
// thread: the disk starts on each while the next is made (see FileReplacement::write), and
// a thread of their own saved no more than 1 to 3 % of a whole run.
bool writeContent(FileReplacement& file, ListBox& entries, const QByteArray& footerBytes, ListFileOutcome& outcome)
{
    std::string chunk;
    chunk.reserve(size_t(kChunkSize) * 2);
    EntryLines lines;
    const qsizetype count = entries.ListCount();
    for (qsizetype i = 0; i < count; ++i) {
        if (lines.append(entries.encodedItem(i), chunk) && ++outcome.replacedEntries <= LeftOutEntries::kKept)
            outcome.replacedRows.append(i);
        if (qsizetype(chunk.size()) >= kChunkSize && !writeChunk(file, chunk))
            return false;
    }
    chunk.append(footerBytes.constData(), size_t(footerBytes.size()));
    return writeChunk(file, chunk);
}

} // namespace

QByteArray ListFileWriter::footer(const QDate& today, const QLocale& locale)
{
    QByteArray out;
    appendTextLine(u"", u"", out);
    appendTextLine(u"", ProductInfo::kProductLine, out);
    appendTextLine(u"", dateText(today, locale), out);
    appendTextLine(u"(c) ", ProductInfo::kAuthor, out);
    appendTextLine(u"Mail: ", ProductInfo::kMailAddress, out);
    appendTextLine(u"Internet: ", ProductInfo::kWebAddress, out);
    return out;
}

ListFileOutcome ListFileWriter::write(const QString& targetFolder, const QString& fileName, ListBox& entries,
                                      const QDate& today, const QLocale& locale,
                                      const std::function<void()>& oldListOnlyInMemory)
{
    ListFileOutcome outcome;
    const HostTarget target = hostTarget(targetFolder, fileName);
    if (target.failure != WriteFailure::None) {
        outcome.failure = target.failure;
        return outcome;
    }
    FileReplacement file(target.folder, target.name);
    outcome.oldListRestored = file.restoredOldContent();
    const QByteArray footerBytes = footer(today, locale);
    const bool reserved = file.isOpen() && (!file.writesInPlace() || file.reserve(listFileSize(entries, footerBytes)));
    if (reserved && file.oldContentOnlyInMemory() && oldListOnlyInMemory)
        oldListOnlyInMemory();
    outcome.written = reserved && writeContent(file, entries, footerBytes, outcome) && file.commit();
    outcome.failure = file.failure();
    return outcome;
}
