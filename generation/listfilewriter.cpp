#include "generation/listfilewriter.h"

#include "generation/pathprobes.h"
#include "generation/productinfo.h"
#include "listing/listbox.h"
#include "platform/drivetable.h"
#include "platform/namecodec.h"
#include "platform/windows1252.h"

#include <QFile>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

namespace {

constexpr qsizetype kChunkSize = qsizetype(1) << 20;
constexpr char kLineEnd[] = "\r\n";

// Qt names files in UTF-8. A folder whose host name is not UTF-8 is reached through an
// open descriptor of it instead, held while the name is in use.
class SaveFileName {
public:
    explicit SaveFileName(const WindowsPath& file);
    ~SaveFileName();
    SaveFileName(const SaveFileName&) = delete;
    SaveFileName& operator=(const SaveFileName&) = delete;

    // Empty when the file cannot be named at all.
    const QString& name() const { return m_name; }

private:
    QString m_name;
    int m_folder = -1;
};

bool roundTrips(const QByteArray& hostPath) { return QFile::encodeName(QFile::decodeName(hostPath)) == hostPath; }

SaveFileName::SaveFileName(const WindowsPath& file)
{
    const DriveTable& drives = DriveTable::active();
    const std::optional<QByteArray> host = drives.hostPathOf(file);
    if (!host)
        return;
    if (roundTrips(*host)) {
        m_name = QFile::decodeName(*host);
        return;
    }
    const std::optional<QByteArray> folder = drives.hostPathOf(file.parent());
    const QByteArray leaf = NameCodec::encode(file.names().last());
    if (!folder || !roundTrips(leaf))
        return;
    m_folder = ::open(folder->constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_folder >= 0)
        m_name = QStringLiteral("/proc/self/fd/%1/").arg(m_folder) + QFile::decodeName(leaf);
}

SaveFileName::~SaveFileName()
{
    if (m_folder >= 0)
        ::close(m_folder);
}

// The path must name a file: not a folder, and nothing that is not a plain file (replacing
// a device or a pipe with a list would be worse than failing).
std::optional<WindowsPath> listFilePath(const QString& path)
{
    if (path.endsWith(u'\\') || path.endsWith(u'/'))
        return std::nullopt;
    std::optional<WindowsPath> parsed = WindowsPath::parse(path);
    if (!parsed || parsed->isRoot())
        return std::nullopt;
    const std::optional<QByteArray> host = DriveTable::active().hostPathOf(*parsed);
    struct stat info;
    if (!host || (stat(host->constData(), &info) == 0 && !S_ISREG(info.st_mode)))
        return std::nullopt;
    return parsed;
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

bool writeAll(QSaveFile& file, const QByteArray& bytes) { return file.write(bytes) == bytes.size(); }

// Encodes the entries chunk by chunk into one reused buffer, so a list of a million
// entries never stands in memory a second time.
bool writeContent(QSaveFile& file, ListBox& entries, const QByteArray& footerBytes, qsizetype& replacedEntries)
{
    QByteArray chunk;
    chunk.reserve(kChunkSize + kChunkSize / 4);
    const qsizetype count = entries.ListCount();
    for (qsizetype i = 0; i < count; ++i) {
        if (appendEntryLine(entries.encodedItem(i), chunk))
            ++replacedEntries;
        if (chunk.size() >= kChunkSize) {
            if (!writeAll(file, chunk))
                return false;
            chunk.truncate(0);
        }
    }
    chunk.append(footerBytes);
    return writeAll(file, chunk);
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
    const QString listPath = path(targetFolder, fileName);
    const std::optional<WindowsPath> file = listFilePath(listPath);
    if (!file)
        return outcome;
    const SaveFileName saveName(*file);
    if (saveName.name().isEmpty())
        return outcome;

    // QSaveFile refuses an existing file that may not be written, and never falls back to
    // writing into the old file in place: a failed run leaves it exactly as it was.
    QSaveFile save(saveName.name());
    save.setDirectWriteFallback(false);
    if (!save.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return outcome;
    // Without a commit the temporary file goes when save does.
    if (!writeContent(save, entries, footer(today, locale), outcome.replacedEntries))
        return outcome;
    outcome.written = save.commit() && PathProbes::FileExists(listPath);
    return outcome;
}
