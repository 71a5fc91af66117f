#include "walk/folderscan.h"

#include "text/asciiscan.h"
#include "text/namecodec.h"
#include "walk/folderhandles.h"
#include "walk/hostdirectory.h"
#include "walk/hostfolder.h"

#include <QtEndian>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

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

// The visible names of one folder as the host lists them, gathered in one block of bytes
// that the sorted lists then share.
class Gathered {
public:
    explicit Gathered(MemoryBudget* memory)
        : m_room(threadsRoom())
        , m_bytes(m_room.bytes)
        , m_folders(m_room.folders)
        , m_files(m_room.files)
        , m_memory(memory)
    {
        m_room.clear();
    }
    ~Gathered() { m_room.giveBackIfLarge(); }
    Gathered(const Gathered&) = delete;
    Gathered& operator=(const Gathered&) = delete;

    void add(std::string_view name, EntryKind kind)
    {
        // A block holds 4 GiB of names; a folder with more is read no further, and says so.
        // So is one whose names outgrow the memory the run may take (a listing without end).
        if (m_bytes.size() + name.size() > std::numeric_limits<quint32>::max() || name.size() > HostNames::kLongestName
            || !roomFor(name.size())) {
            m_full = true;
            return;
        }
        const bool isFolder = kind != EntryKind::File;
        const HostFolder::NameBytes bytes = HostFolder::lookAtName(name);
        if (!bytes.canStandInPath) {
            (isFolder ? m_unwritableFolders : m_unwritableFiles).append(place(name, bytes.isAscii));
            return;
        }
        if (!isFolder) {
            m_files.push_back(place(name, bytes.isAscii));
            return;
        }
        const SubfolderKind subfolder = subfolderKindOf(kind);
        if (subfolder != SubfolderKind::Plain && m_folderKinds.isEmpty())
            m_folderKinds.resize(qsizetype(m_folders.size()), SubfolderKind::Plain);
        if (subfolder != SubfolderKind::Plain || !m_folderKinds.isEmpty())
            m_folderKinds.append(subfolder);
        m_folders.push_back(place(name, bytes.isAscii));
    }

    bool isFull() const { return m_full; }

    void moveInto(FolderScan::Entries& entries)
    {
        const QByteArray block(m_bytes.data(), qsizetype(m_bytes.size()));
        entries.folders = HostNames(block, sortedByName(m_folders, &m_folderKinds));
        entries.folderKinds = std::move(m_folderKinds);
        entries.unwritableFolders = HostNames(block, std::move(m_unwritableFolders));
        entries.files = HostNames(block, sortedByName(m_files));
        entries.unwritableFiles = HostNames(block, std::move(m_unwritableFiles));
    }

private:
    using Piece = HostNames::Piece;

    // Counted a mebibyte at a time, so that readers on several threads rarely meet.
    bool roomFor(std::size_t bytes)
    {
        m_uncounted += bytes + sizeof(Piece);
        if (!m_memory || m_uncounted < kCountEvery)
            return true;
        return m_memory->grew(std::exchange(m_uncounted, 0));
    }
    static constexpr std::size_t kCountEvery = std::size_t(1) << 20;

    Piece place(std::string_view name, bool isAscii)
    {
        const Piece placed{quint32(m_bytes.size()), quint32(name.size()), isAscii};
        m_bytes.append(name);
        return placed;
    }

    static SubfolderKind subfolderKindOf(EntryKind kind)
    {
        switch (kind) {
        case EntryKind::FolderLink:
            return SubfolderKind::Link;
        case EntryKind::MountPoint:
            return SubfolderKind::MountPoint;
        default:
            return SubfolderKind::Plain;
        }
    }

    QByteArrayView view(const Piece& piece) const { return QByteArrayView(m_bytes.data() + piece.start, piece.length); }

    // Names sorted on a number made of their first eight bytes first: most names of a
    // folder differ within those, and two numbers compare at a fraction of the cost of two
    // names. A byte beyond ASCII marks the number as none (the top bit, which an ASCII
    // byte never sets), and such names, like those whose numbers agree, are compared in full.
    struct Keyed {
        quint64 prefix;
        Piece piece;
        quint32 index;
    };
    static constexpr quint64 kNoPrefix = quint64(1) << 63;

    quint64 prefixOf(const Piece& piece) const
    {
        const QByteArrayView name = view(piece);
        if (piece.ascii && name.size() >= 8) {
            quint64 eight;
            std::memcpy(&eight, name.data(), sizeof eight);
            return qFromBigEndian(AsciiScan::lowerCase(eight));
        }
        quint64 prefix = 0;
        for (qsizetype i = 0; i < 8; ++i) {
            const auto byte = i < name.size() ? static_cast<unsigned char>(name[i]) : 0;
            if (byte >= 0x80)
                return kNoPrefix;
            // A name that ends here comes before any that goes on, as in hostNameLess.
            prefix = prefix << 8 | lowerAscii(byte);
        }
        return prefix;
    }

    // The pieces in the order of their names, in a list made once at its size: the reading
    // thread's allocations are freed by the walk's, and each costs both a lock of the heap.
    // What goes with each piece, where anything does, is put in that order too.
    QList<Piece> sortedByName(const std::vector<Piece>& pieces, QList<SubfolderKind>* kindsAlong = nullptr)
    {
        std::vector<Keyed>& keyed = m_room.keyed;
        // Filled field by field in place: a whole Keyed made first and then copied in was
        // stored in parts and read back at once, which stalls the processor on every name.
        keyed.resize(pieces.size());
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            keyed[i].prefix = prefixOf(pieces[i]);
            keyed[i].piece = pieces[i];
            keyed[i].index = quint32(i);
        }
        std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
            if (((a.prefix | b.prefix) & kNoPrefix) == 0 && a.prefix != b.prefix)
                return a.prefix < b.prefix;
            return hostNameLess(view(a.piece), view(b.piece));
        });
        QList<Piece> sorted;
        sorted.reserve(qsizetype(keyed.size()));
        for (const Keyed& each : keyed)
            sorted.append(each.piece);
        if (kindsAlong && !kindsAlong->isEmpty()) {
            const QList<SubfolderKind> before = *kindsAlong;
            for (std::size_t i = 0; i < keyed.size(); ++i)
                (*kindsAlong)[qsizetype(i)] = before[keyed[i].index];
        }
        return sorted;
    }

    // The names are gathered in room each thread keeps from one folder to the next: taken
    // afresh for each, room for most folders' names would be taken and given back every
    // time, and a request of that size has the heap sort through its small free pieces
    // first. The room a large folder took is not kept.
    struct Room {
        std::string bytes;
        std::vector<Piece> folders;
        std::vector<Piece> files;
        std::vector<Keyed> keyed;

        void clear()
        {
            bytes.clear();
            folders.clear();
            files.clear();
        }
        void giveBackIfLarge()
        {
            if (bytes.capacity() > kMostBytesKept)
                bytes = std::string();
            giveBackIfLarge(folders);
            giveBackIfLarge(files);
            giveBackIfLarge(keyed);
        }
        template <typename Item>
        static void giveBackIfLarge(std::vector<Item>& items)
        {
            if (items.capacity() * sizeof(Item) > kMostBytesKept)
                items = std::vector<Item>();
        }
    };
    static Room& threadsRoom()
    {
        thread_local Room room;
        return room;
    }
    static constexpr std::size_t kMostBytesKept = std::size_t(1) << 16;

    Room& m_room;
    std::string& m_bytes;
    std::vector<Piece>& m_folders;
    QList<SubfolderKind> m_folderKinds; // empty while every folder is plain
    std::vector<Piece>& m_files;
    QList<Piece> m_unwritableFolders;
    QList<Piece> m_unwritableFiles;
    bool m_full = false;
    MemoryBudget* m_memory;
    std::size_t m_uncounted = 0;
};

// A folder that is there but cannot be opened is still a folder: it is entered, lists
// nothing and says that it could not be read.
bool isUnopenableFolder(FolderHandles::Reach reach, const std::function<FolderHandles::Standing()>& standing)
{
    return reach == FolderHandles::Reach::Blocked && standing() == FolderHandles::Standing::Folder;
}

// Only a root names itself as its parent.
bool listingNamesParent(const FolderScan::Entries& entries, std::optional<ino_t> parentInode)
{
    return !parentInode || (entries.parentInode == parentInode && entries.parentInode != entries.ownInode);
}

bool isListed(EntryKind kind) { return kind != EntryKind::PseudoFolder && kind != EntryKind::Other; }

// fresh: nobody has read the descriptor before, so it stands at the first entry.
FolderScan::Entries readOpened(int descriptor, bool fresh, const NeverWalkedMounts& mounts, MemoryBudget* memory)
{
    FolderScan::Entries entries;
    entries.isFolder = true;
    Gathered gathered(memory);
    const auto start = fresh ? HostDirectory::Start::Fresh : HostDirectory::Start::Rewind;
    const HostDirectory::Read read = HostDirectory::readFolder(descriptor, mounts, start,
                                                               [&](std::string_view name, EntryKind kind) {
        if (isListed(kind))
            gathered.add(name, kind);
    });
    gathered.moveInto(entries);
    entries.ownInode = read.ownInode;
    entries.parentInode = read.parentInode;
    entries.complete = read.outcome == HostDirectory::Outcome::Complete && !gathered.isFull();
    return entries;
}


} // namespace

FolderScan FolderScan::read(FolderHandles& handles, const WindowsPath& path, const QString& pathText,
                            const NeverWalkedMounts& mounts, MemoryBudget* memory)
{
    return fromEntries(readEntries(handles, path, pathText, mounts, memory));
}

FolderScan::Entries FolderScan::readEntries(FolderHandles& handles, const WindowsPath& path, const QString& pathText,
                                            const NeverWalkedMounts& mounts, MemoryBudget* memory)
{
    const FolderHandles::Folder folder = handles.open(path, pathText);
    if (folder.reach != FolderHandles::Reach::Opened) {
        Entries entries;
        entries.outOfDescriptors = folder.reach == FolderHandles::Reach::NoDescriptor;
        entries.isFolder = isUnopenableFolder(folder.reach, [&] { return handles.standing(path, false); });
        return entries;
    }
    Entries entries = readOpened(folder.handle->descriptor(), folder.fresh, mounts, memory);
    entries.identity = folder.identity;
    return entries;
}

FolderScan::Entries FolderScan::readEntriesBelow(const FolderHandles::Handle& parent, const QByteArray& name,
                                                 const NeverWalkedMounts& mounts, const FolderBelow& below,
                                                 MemoryBudget* memory)
{
    const bool plain = below.kind == SubfolderKind::Plain;
    FolderHandles::Opened folder = FolderHandles::openBelow(parent, name, plain);
    if (folder.reach != FolderHandles::Reach::Opened) {
        Entries entries;
        entries.outOfDescriptors = folder.reach == FolderHandles::Reach::NoDescriptor;
        entries.isFolder = isUnopenableFolder(folder.reach, [&] {
            return FolderHandles::lookAt(parent.descriptor(), name, false).standing;
        });
        return entries;
    }
    Entries entries = readOpened(folder.handle.descriptor(), true, mounts, memory);
    if (plain && below.device && entries.ownInode && listingNamesParent(entries, below.parentInode))
        entries.identity = FolderHandles::Identity{*below.device, *entries.ownInode};
    else
        entries.identity = FolderHandles::identityOf(folder.handle.descriptor());
    if (below.kind == SubfolderKind::Link)
        entries.resolvedPath = resolvedPathOf(folder.handle.descriptor());
    if (below.keepOpen && !entries.folders.isEmpty())
        entries.heldOpen = std::make_shared<const FolderHandles::Handle>(std::move(folder.handle));
    return entries;
}

FolderScan FolderScan::fromEntries(const Entries& entries)
{
    FolderScan scan;
    scan.isFolder = entries.isFolder;
    scan.complete = entries.complete;
    scan.identity = entries.identity;
    scan.ownInode = entries.ownInode;
    scan.resolvedPath = entries.resolvedPath;
    scan.outOfDescriptors = entries.outOfDescriptors;
    scan.heldOpen = entries.heldOpen;
    scan.folderKinds = entries.folderKinds;
    scan.folders.reserve(entries.folders.size());
    for (qsizetype i = 0; i < entries.folders.size(); ++i)
        scan.folders.append(entries.folders.decoded(i));
    scan.unwritableFolders = entries.unwritableFolders;
    scan.files = entries.files;
    scan.unwritableFiles = entries.unwritableFiles;
    return scan;
}

QByteArray FolderScan::resolvedPathOf(int descriptor)
{
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(descriptor);
    char path[PATH_MAX];
    const ssize_t length = readlink(link.constData(), path, sizeof path);
    return length > 0 && path[0] == '/' && size_t(length) < sizeof path ? QByteArray(path, length) : QByteArray();
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
    matching.names = files.selected([&](qsizetype i) { return pattern.matchesHostName(files.at(i)); });
    matching.leftOut = unwritableFiles.selected([&](qsizetype i) { return pattern.matchesHostName(unwritableFiles.at(i)); });
    return matching;
}
