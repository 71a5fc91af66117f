#include "generation/listfilewriter.h"

#include "generation/productinfo.h"
#include "listing/listbox.h"
#include "platform/drivetable.h"
#include "platform/namecodec.h"
#include "platform/windows1252.h"

#include <algorithm>
#include <optional>

namespace {

constexpr qsizetype kChunkSize = qsizetype(1) << 20;
constexpr char kLineEnd[] = "\r\n";

// The list file as the host knows it: its folder and its own name there.
struct HostTarget {
    QByteArray folder;
    QByteArray name;
    WriteFailure failure = WriteFailure::None;
};

qsizetype lastSeparator(QStringView path) { return std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/')); }

// A name that ends in a separator, "." or ".." names a folder, never a file; and a name
// must reach the host exactly as it stands, not with '?' for a character it cannot hold.
HostTarget hostTarget(const QString& targetFolder, const QString& fileName)
{
    if (!WindowsPath::parse(targetFolder))
        return {{}, {}, WriteFailure::FolderMissing};
    const QString listPath = ListFileWriter::path(targetFolder, fileName);
    const QStringView lastName = QStringView(listPath).sliced(lastSeparator(listPath) + 1);
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

bool isAscii(QByteArrayView bytes)
{
    // No early exit, so the compiler can check many bytes at once.
    unsigned char seen = 0;
    for (const char byte : bytes)
        seen |= static_cast<unsigned char>(byte);
    return seen < 0x80;
}

// True when a character of the entry had to be replaced.
bool appendEntryLine(QByteArrayView stored, QByteArray& out)
{
    bool replaced = false;
    if (isAscii(stored))
        out.append(stored);
    else
        replaced = Windows1252::append(NameCodec::decode(stored.data(), stored.size()), out) > 0;
    out.append(kLineEnd);
    return replaced;
}

void appendTextLine(QStringView label, QStringView value, QByteArray& out)
{
    Windows1252::append(label, out);
    Windows1252::append(value, out);
    out.append(kLineEnd);
}

// The empty line and the footer below the entries.
QByteArray footer(const QDate& today, const QLocale& locale)
{
    QByteArray out;
    appendTextLine(u"", u"", out);
    appendTextLine(u"", ProductInfo::kProductLine, out);
    appendTextLine(u"", locale.toString(today, QLocale::ShortFormat), out);
    appendTextLine(u"(c) ", ProductInfo::kAuthor, out);
    appendTextLine(u"Mail: ", ProductInfo::kMailAddress, out);
    appendTextLine(u"Internet: ", ProductInfo::kWebAddress, out);
    return out;
}

// Encodes the entries chunk by chunk into one reused buffer, so a list of a million
// entries never stands in memory a second time.
bool writeContent(FileReplacement& file, ListBox& entries, const QByteArray& footerBytes, qsizetype& replacedEntries)
{
    QByteArray chunk;
    chunk.reserve(kChunkSize + kChunkSize / 4);
    const qsizetype count = entries.ListCount();
    for (qsizetype i = 0; i < count; ++i) {
        if (appendEntryLine(entries.encodedItem(i), chunk))
            ++replacedEntries;
        if (chunk.size() >= kChunkSize) {
            if (!file.write(chunk))
                return false;
            chunk.truncate(0);
        }
    }
    chunk.append(footerBytes);
    return file.write(chunk);
}

} // namespace

QString ListFileWriter::path(const QString& targetFolder, const QString& fileName)
{
    return targetFolder + u'\\' + fileName;
}

ListFileOutcome ListFileWriter::write(const QString& targetFolder, const QString& fileName, ListBox& entries,
                                      const QDate& today, const QLocale& locale)
{
    ListFileOutcome outcome;
    const HostTarget target = hostTarget(targetFolder, fileName);
    if (target.failure != WriteFailure::None) {
        outcome.failure = target.failure;
        return outcome;
    }
    FileReplacement file(target.folder, target.name, FileReplacement::InPlace::Allowed);
    outcome.written = file.isOpen() && writeContent(file, entries, footer(today, locale), outcome.replacedEntries)
        && file.commit();
    outcome.failure = file.failure();
    return outcome;
}
