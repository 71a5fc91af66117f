#include "readahead/folderreads.h"

#include "mounts/filesystemtypes.h"
#include "process/processors.h"
#include "text/namecodec.h"

#include <algorithm>
#include <climits>
#include <utility>

#include <sys/vfs.h>
#include <unistd.h>

FolderReads::FolderReads(std::stop_token stop)
    : FolderReads(ReadAhead::readBelowParent, std::move(stop))
{
}

ReadAhead::WalkReads FolderReads::walkReadsHere()
{
    return Processors::usable() <= 1 ? ReadAhead::WalkReads::QuickOnesHere : ReadAhead::WalkReads::QuickOnesHereToo;
}

FolderReads::FolderReads(ReadAhead::ReadFolder readFolder, std::stop_token stop, ReadAhead::WalkReads walkReads)
    : m_stop(stop)
    , m_shared(share(m_budget.descriptors()))
    , m_handles(m_shared.handlesKept)
    , m_mostParentsHeld(m_shared.parentsHeld)
    , m_mostKeptOpen(m_shared.readsKeptOpen)
    , m_walkReads(walkReads)
    , m_ahead(std::move(readFolder), std::move(stop), m_shared.readers, m_walkReads)
{
    m_handles.onOutOfDescriptors([this] { giveBack(); });
}

FolderReads::OpenFolders FolderReads::share(int descriptors)
{
    constexpr int kWalksOwn = 3;
    constexpr int kPerReader = 2;
    int left = descriptors - kWalksOwn;
    OpenFolders shared{};
    shared.handlesKept = std::clamp<qsizetype>(left / 4, FolderHandles::kFewestKept, FolderHandles::kDefaultCapacity);
    left -= int(shared.handlesKept);
    shared.readers = std::size_t(std::clamp(left / 4, 0, int(ReaderSizing::kMostReaders)));
    left -= kPerReader * int(shared.readers);
    shared.parentsHeld = std::size_t(std::clamp(left, 0, int(kMostParentsHeld)));
    left -= int(shared.parentsHeld);
    shared.readsKeptOpen = std::size_t(std::clamp(left - 2 * int(ReadAhead::kMostReadsAhead), 0, int(kMostReadsKeptOpen)));
    if (shared.readers == 0 || shared.parentsHeld == 0)
        shared.readers = shared.parentsHeld = shared.readsKeptOpen = 0;
    return shared;
}

int FolderReads::mostHeldAtOnce(std::size_t keptOpen, std::size_t parentsHeld)
{
    return int(keptOpen + parentsHeld + 2 * ReadAhead::kMostReadsAhead);
}

void FolderReads::makeRoomBeforeThreads()
{
    // The budget raises the soft limit for its lifetime, as a walk's does: a copy of a
    // descriptor may be placed no higher than that limit.
    const OpenFileBudget budget;
    const OpenFolders shared = share(budget.descriptors());
    OpenFileBudget::makeRoomFor(mostHeldAtOnce(shared.readsKeptOpen, shared.parentsHeld));
}

// The parents held for the readers are let go (a reader keeps the one it reads below), and
// fewer are held from now on.
void FolderReads::giveBack()
{
    m_parents.clear();
    for (Below& below : m_below) {
        below.handle.reset();
        below.keptOpen = false;
    }
    m_keptOpen = 0;
    m_mostParentsHeld = std::max<std::size_t>(m_mostParentsHeld / 2, 1);
    m_mostKeptOpen /= 2;
}

void FolderReads::readAheadBelow(QStringView pathText)
{
    const Read* read = last(pathText);
    if (!m_ahead.isReading() || !read || read->scan.folders.isEmpty())
        return;
    const bool keep = read->scan.heldOpen && m_keptOpen < m_mostKeptOpen;
    m_keptOpen += keep ? 1 : 0;
    if (keep && m_keptOpen == kKeptOpenBeforeMakingRoom && !std::exchange(m_madeRoom, true))
        OpenFileBudget::makeRoomFor(mostHeldAtOnce(m_mostKeptOpen, m_mostParentsHeld));
    m_below.push_back({read->path, read->pathText, read->scan.folders, read->scan.folderKinds, read->scan.identity, 0,
                       keep ? read->scan.heldOpen : nullptr, keep});
    requestMore();
}

// A plain folder's identity is its parent's device with its own listing's inode number,
// where that device has not given one that differs; on a file system that lists its own
// folders, once that listing names the parent too, so that nothing need check it.
FolderBelow FolderReads::belowOf(const Below& below, qsizetype index)
{
    FolderBelow found;
    found.kind = below.kinds.isEmpty() ? SubfolderKind::Plain : below.kinds[index];
    if (found.kind == SubfolderKind::Plain && below.identity && !m_listingsInodeUntrusted.contains(below.identity->device)) {
        found.device = below.identity->device;
        if (FileSystemTypes::listsOwnFolders(fileSystemTypeOf(below)))
            found.parentInode = below.identity->inode;
    }
    found.keepOpen = m_mostKeptOpen > 0;
    return found;
}

// Only a few folders are asked for at a time: a level of a wide tree holds tens of
// thousands, and their paths would take room long before their turn.
void FolderReads::requestMore()
{
    std::vector<ReadAhead::Request> requests;
    std::shared_ptr<const NeverWalkedMounts> mounts;
    for (std::size_t wanted = m_ahead.requestsWanted(); wanted > 0 && !m_below.empty();) {
        Below& below = m_below.front();
        if (!below.handle && m_parents.size() >= m_mostParentsHeld)
            break;
        // A folder that cannot be opened again has its subfolders read at their turn.
        if ((below.handle && below.next > 0) || openForReaders(below)) {
            if (!mounts)
                mounts = m_mounts.now();
            const QString& name = below.names[below.next];
            const FolderBelow found = belowOf(below, below.next);
            requests.push_back({below.path.child(name), WindowsPath::joinName(below.pathText, name), below.handle,
                                NameCodec::encode(name), mounts, found, &m_memory, isAnsweredHere(below, found)});
            --wanted;
            if (++below.next < below.names.size())
                continue;
        }
        m_keptOpen -= below.keptOpen ? 1 : 0;
        m_below.pop_front();
    }
    if (!requests.empty())
        m_ahead.request(std::move(requests));
}

// The readers open each subfolder in its parent's handle, and the walk looks at it there at
// its turn: the parent is opened once for all of them, and it must be the folder whose
// subfolders were read, as the handle its read kept open is.
bool FolderReads::openForReaders(Below& below)
{
    if (!below.handle)
        below.handle = below.identity ? m_handles.reopen(below.path, *below.identity)
                                      : m_handles.share(below.path, below.pathText);
    if (!below.handle)
        return false;
    m_parents.push_back({below.pathText, below.handle});
    return true;
}

// Only a plain folder shares its parent's file system; where the walk never reads for
// itself, nobody asks.
bool FolderReads::isAnsweredHere(const Below& below, const FolderBelow& found)
{
    if (m_walkReads == ReadAhead::WalkReads::Never || found.kind != SubfolderKind::Plain || !below.identity)
        return false;
    return FileSystemTypes::answersWithoutWaiting(fileSystemTypeOf(below));
}

// Of the folder held open for its subfolders, asked once per device: statfs's magic number,
// or none where it cannot be told.
std::uint32_t FolderReads::fileSystemTypeOf(const Below& below)
{
    const dev_t device = below.identity->device;
    const auto known = m_fileSystemTypes.constFind(device);
    if (known != m_fileSystemTypes.cend())
        return *known;
    struct statfs fileSystem;
    const auto type = ::fstatfs(below.handle->descriptor(), &fileSystem) == 0 ? std::uint32_t(fileSystem.f_type) : 0;
    m_fileSystemTypes.insert(device, type);
    return type;
}

FolderHandles::Look FolderReads::look(QStringView pathText, bool followLink)
{
    const std::optional<WindowsPath::LastName> last = WindowsPath::splitLastName(pathText);
    const auto parent = !last ? m_parents.cend()
                              : std::find_if(m_parents.cbegin(), m_parents.cend(), [&](const Parent& candidate) {
                                    return candidate.pathText == last->parentText;
                                });
    if (parent == m_parents.cend())
        return m_handles.look(pathText, followLink);
    // The walk has moved on past the folders before.
    m_parents.erase(m_parents.cbegin(), parent);
    if (!followLink) {
        if (const std::optional<FolderHandles::Identity> identity = m_ahead.readAtTurn(pathText))
            return {FolderHandles::Standing::Folder, *identity};
    }
    return FolderHandles::lookAt(m_parents.front().handle->descriptor(), NameCodec::encode(last->name), followLink);
}

std::optional<FolderReads::Read> FolderReads::takeReadAhead(QStringView pathText)
{
    const Found* foundThere = m_found && m_found->pathText == pathText ? &*m_found : nullptr;
    if (!m_ahead.isReading() || !foundThere)
        return std::nullopt;
    std::optional<ReadAhead::Read> read = m_ahead.take(pathText);
    requestMore();
    if (!read || read->entries.outOfDescriptors || read->entries.identity != foundThere->identity)
        return std::nullopt;
    return Read{std::move(read->path), std::move(read->pathText), FolderScan::fromEntries(read->entries)};
}

QByteArray FolderReads::resolvedPathOfLast()
{
    if (!m_last)
        return {};
    if (!m_last->scan.resolvedPath.isEmpty())
        return m_last->scan.resolvedPath;
    const FolderHandles::Folder folder = m_handles.open(m_last->path, m_last->pathText);
    return folder.handle ? FolderScan::resolvedPathOf(folder.handle->descriptor()) : QByteArray();
}

// A folder read here after its read ahead did not match tells whether its device's own
// listings give its identity.
void FolderReads::learnFrom(const FolderScan& scan)
{
    if (scan.ownInode && scan.identity && *scan.ownInode != scan.identity->inode)
        m_listingsInodeUntrusted.insert(scan.identity->device);
}

FolderScan FolderReads::read(FolderReads* shared, const WindowsPath& path, const QString& pathText)
{
    if (shared && shared->m_stop.stop_requested())
        return {};
    if (shared) {
        FolderScan scan = FolderScan::read(shared->m_handles, path, pathText, *shared->mounts(), &shared->m_memory);
        shared->learnFrom(scan);
        return scan;
    }
    FolderHandles own;
    return FolderScan::read(own, path, pathText, *NeverWalkedMounts::readNow());
}

bool FolderReads::isFolder(FolderReads* shared, const WindowsPath& path)
{
    if (shared && shared->m_stop.stop_requested())
        return false;
    std::optional<FolderHandles> own;
    FolderHandles& handles = shared ? shared->m_handles : own.emplace();
    return handles.standing(path, true) == FolderHandles::Standing::Folder;
}
