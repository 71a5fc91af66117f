#include "walk/folderscan.h"

#include "text/asciiscan.h"
#include "text/namecodec.h"
#include "walk/folderhandles.h"
#include "walk/hostdirectory.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

namespace {

using EntryKind = HostDirectory::EntryKind;

char16_t lowerAscii(char16_t unit) { return unit >= u'A' && unit <= u'Z' ? unit + 32 : unit; }

// Letter case not counted, ties broken case-sensitively. Most names are ASCII; those are
// compared directly, and only from the first other character on does the full case
// folding run.
bool nameLess(const QString& a, const QString& b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x >= 0x80 || y >= 0x80) {
            const int folded = QStringView(a).mid(i).compare(QStringView(b).mid(i), Qt::CaseInsensitive);
            return folded != 0 ? folded < 0 : a < b;
        }
        if (lowerAscii(x) != lowerAscii(y))
            return lowerAscii(x) < lowerAscii(y);
    }
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

// The order of nameLess on the decoded names, read from the host's bytes: up to the first
// byte that is not ASCII a byte is a character, and only a name with another character
// is decoded (a byte that is no UTF-8 decodes to a character that sorts apart).
bool hostNameLess(QByteArrayView a, QByteArrayView b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = AsciiScan::foldedWordsPrefixLength(a.data(), b.data(), common); i < common; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if ((x | y) >= 0x80)
            return nameLess(NameCodec::decode(a.data(), a.size()), NameCodec::decode(b.data(), b.size()));
        if (lowerAscii(x) != lowerAscii(y))
            return lowerAscii(x) < lowerAscii(y);
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return std::memcmp(a.data(), b.data(), size_t(common)) < 0;
}

// HostFolder::canStandInPath on the bytes: '\\', LF and CR are bytes of their own in UTF-8
// and never part of another character, so a name holds one exactly when its text does.
bool canStandInPath(std::string_view name)
{
    return std::none_of(name.begin(), name.end(), [](char c) { return c == '\\' || c == '\n' || c == '\r'; });
}

// The visible names of one folder as the host lists them, gathered in one block of bytes
// that the sorted lists then share.
class Gathered {
public:
    Gathered()
    {
        // Room for the names of most folders at once.
        m_bytes.reserve(4096);
        m_files.reserve(64);
    }

    void add(std::string_view name, EntryKind kind)
    {
        // A block holds 4 GiB of names; a folder with more is read no further, and says so.
        if (m_bytes.size() + name.size() > std::numeric_limits<quint32>::max()) {
            m_full = true;
            return;
        }
        if (!canStandInPath(name)) {
            (kind == EntryKind::Folder ? m_unwritableFolders : m_unwritableFiles).append(place(name));
            return;
        }
        (kind == EntryKind::Folder ? m_folders : m_files).append(place(name));
    }

    bool isFull() const { return m_full; }

    void moveInto(FolderScan::Entries& entries)
    {
        const QByteArray block(m_bytes.data(), qsizetype(m_bytes.size()));
        sortByName(m_folders);
        sortByName(m_files);
        entries.folders = HostNames(block, std::move(m_folders));
        entries.unwritableFolders = HostNames(block, std::move(m_unwritableFolders));
        entries.files = HostNames(block, std::move(m_files));
        entries.unwritableFiles = HostNames(block, std::move(m_unwritableFiles));
    }

private:
    using Piece = HostNames::Piece;

    Piece place(std::string_view name)
    {
        const Piece placed{quint32(m_bytes.size()), quint32(name.size())};
        m_bytes.append(name);
        return placed;
    }

    void sortByName(QList<Piece>& pieces) const
    {
        auto view = [this](const Piece& piece) { return QByteArrayView(m_bytes.data() + piece.start, piece.length); };
        std::sort(pieces.begin(), pieces.end(),
                  [&](const Piece& a, const Piece& b) { return hostNameLess(view(a), view(b)); });
    }

    std::string m_bytes;
    QList<Piece> m_folders;
    QList<Piece> m_files;
    QList<Piece> m_unwritableFolders;
    QList<Piece> m_unwritableFiles;
    bool m_full = false;
};

// A folder that is there but cannot be opened is still a folder: it is entered, lists
// nothing and says that it could not be read.
bool isUnopenableFolder(FolderHandles::Reach reach, const std::function<FolderHandles::Standing()>& standing)
{
    return reach == FolderHandles::Reach::Blocked && standing() == FolderHandles::Standing::Folder;
}

// fresh: nobody has read the descriptor before, so it stands at the first entry.
FolderScan::Entries readOpened(int descriptor, bool fresh, std::optional<FolderHandles::Identity> identity,
                               const NeverWalkedMounts& mounts)
{
    FolderScan::Entries entries;
    entries.isFolder = true;
    entries.identity = identity ? identity : FolderHandles::identityOf(descriptor);
    if (!entries.identity)
        return entries;
    Gathered gathered;
    const auto start = fresh ? HostDirectory::Start::Fresh : HostDirectory::Start::Rewind;
    const auto outcome = HostDirectory::readFolder(descriptor, mounts, start,
                                                   [&](std::string_view name, EntryKind kind) {
        if (kind == EntryKind::File || kind == EntryKind::Folder)
            gathered.add(name, kind);
    });
    gathered.moveInto(entries);
    entries.complete = outcome == HostDirectory::Outcome::Complete && !gathered.isFull();
    return entries;
}

} // namespace

FolderScan FolderScan::read(FolderHandles& handles, const WindowsPath& path, const NeverWalkedMounts& mounts)
{
    return read(handles, path, path.toString(), mounts);
}

FolderScan FolderScan::read(FolderHandles& handles, const WindowsPath& path, const QString& pathText,
                            const NeverWalkedMounts& mounts)
{
    return fromEntries(readEntries(handles, path, pathText, mounts));
}

FolderScan::Entries FolderScan::readEntries(FolderHandles& handles, const WindowsPath& path, const QString& pathText,
                                            const NeverWalkedMounts& mounts)
{
    const FolderHandles::Folder folder = handles.open(path, pathText);
    if (folder.reach != FolderHandles::Reach::Opened) {
        Entries entries;
        entries.isFolder = isUnopenableFolder(folder.reach, [&] { return handles.standing(path, false); });
        return entries;
    }
    return readOpened(folder.handle->descriptor(), folder.fresh, folder.identity, mounts);
}

FolderScan::Entries FolderScan::readEntriesBelow(const FolderHandles::Handle& parent, const QByteArray& name,
                                                 const NeverWalkedMounts& mounts)
{
    const FolderHandles::Opened folder = FolderHandles::openBelow(parent, name);
    if (folder.reach != FolderHandles::Reach::Opened) {
        Entries entries;
        entries.isFolder = isUnopenableFolder(folder.reach, [&] {
            return FolderHandles::lookAt(parent.descriptor(), name, false).standing;
        });
        return entries;
    }
    return readOpened(folder.handle.descriptor(), true, std::nullopt, mounts);
}

FolderScan FolderScan::fromEntries(const Entries& entries)
{
    FolderScan scan;
    scan.isFolder = entries.isFolder;
    scan.complete = entries.complete;
    scan.identity = entries.identity;
    scan.folders.reserve(entries.folders.size());
    for (qsizetype i = 0; i < entries.folders.size(); ++i)
        scan.folders.append(entries.folders.decoded(i));
    scan.unwritableFolders = entries.unwritableFolders;
    scan.files = entries.files;
    scan.unwritableFiles = entries.unwritableFiles;
    return scan;
}

FolderScan::MatchingFiles FolderScan::filesMatching(const FilePattern& pattern) const
{
    MatchingFiles matching;
    // Most patterns take every name ("*.*"): then the names are shared, not copied, and
    // never decoded.
    if (pattern.matchesEverything()) {
        matching.names = files;
        matching.leftOut = unwritableFiles;
        return matching;
    }
    matching.names = files.selected([&](qsizetype i) { return pattern.matches(files.decoded(i)); });
    matching.leftOut = unwritableFiles.selected([&](qsizetype i) { return pattern.matches(unwritableFiles.decoded(i)); });
    return matching;
}
