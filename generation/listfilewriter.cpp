#include "generation/listfilewriter.h"

#include "changes/listrecognition.h"
#include "files/chunkedoutput.h"
#include "files/outputfile.h"
#include "generation/comparisonthread.h"
#include "generation/entrylines.h"
#include "generation/leftoutentries.h"
#include "generation/productinfo.h"
#include "listing/listbox.h"
#include "text/namecodec.h"
#include "text/windows1252.h"

#include <memory>
#include <optional>

namespace {

// Where the list is written over the old file, its exact size is needed before the first
// byte: the lines are made once more, only to be counted.
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
    out.append(EntryLines::kLineEnd);
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

// The list being replaced, where it is one to compare with: from the kept copy of its bytes
// where it is written over, never from the file being overwritten. An old file more than
// twice the size the new list can reach is not read at all.
std::unique_ptr<EntryComparison> comparisonWith(const OldContent& old, ListBox& entries, qint64 footerSize,
                                                const EntryComparison::Where* where)
{
    if (!old.exists() || !where)
        return nullptr;
    const qint64 largestNewSize =
        entries.storedTextBytes() + entries.ListCount() * EntryLines::kLineEndLength + footerSize;
    if (old.length() > 2 * largestNewSize)
        return nullptr;
    const std::optional<off_t> entriesLength = ListRecognition::entriesLength(old);
    if (!entriesLength)
        return nullptr;
    return std::make_unique<EntryComparison>(entries, *where, old, *entriesLength);
}

// The entries chunk by chunk (see ChunkedOutput), so a list of a million entries never
// stands in memory a second time, each chunk handed to the comparison once written.
bool writeContent(FileReplacement& file, ListBox& entries, const QByteArray& footerBytes, ComparisonThread* comparison,
                  ListFileOutcome& outcome)
{
    ChunkedOutput out(file, comparison ? ComparisonThread::kChunkSize : ChunkedOutput::kChunkSize);
    if (comparison)
        out.passChunksTo([comparison](std::string& chunk) { return comparison->take(chunk); });
    EntryLines lines;
    const qsizetype count = entries.ListCount();
    for (qsizetype i = 0; i < count; ++i) {
        const size_t lineStart = out.size();
        if (lines.append(entries.encodedItem(i), out) && ++outcome.replacedEntries <= LeftOutEntries::kKept)
            outcome.replacedRows.append(i);
        const QByteArrayView line = out.since(lineStart);
        if (comparison)
            comparison->lineMade(lineStart, size_t(line.size() - EntryLines::kLineEndLength));
        outcome.size += line.size();
        if (!out.lineDone())
            return false;
    }
    out.append(footerBytes.constData(), size_t(footerBytes.size()));
    outcome.size += footerBytes.size();
    return out.flush();
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
                                      const std::function<void()>& oldListOnlyInMemory,
                                      const EntryComparison::Where* compareWith)
{
    ListFileOutcome outcome;
    const OutputFile target = OutputFile::in(targetFolder, fileName);
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
    const OldContent old = reserved ? file.oldContent() : OldContent();
    const std::unique_ptr<EntryComparison> comparison = comparisonWith(old, entries, footerBytes.size(), compareWith);
    std::optional<ComparisonThread> comparing;
    if (comparison)
        comparing.emplace(*comparison, &file);
    outcome.written = reserved && writeContent(file, entries, footerBytes, comparing ? &*comparing : nullptr, outcome);
    // Finished before the new file takes the name: the old bytes are read up to then, and
    // the last chunks written (a failed write fails the commit).
    const bool compared = outcome.written && comparing && comparing->finish();
    outcome.written = outcome.written && file.commit();
    outcome.failure = file.failure();
    if (outcome.written && compared && old.length() <= 2 * outcome.size)
        outcome.changes = comparison->changes();
    return outcome;
}
