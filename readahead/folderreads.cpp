#include "readahead/folderreads.h"

#include "text/namecodec.h"

#include <algorithm>

void FolderReads::readAheadBelow(QStringView pathText)
{
    const Read* read = last(pathText);
    if (!m_ahead.isReading() || !read || read->scan.folders.isEmpty())
        return;
    m_below.push_back({read->path, read->pathText, read->scan.folders, read->scan.identity, 0, nullptr});
    requestMore();
}

// Only a few folders are asked for at a time: a level of a wide tree holds tens of
// thousands, and their paths would take room long before their turn.
void FolderReads::requestMore()
{
    std::vector<ReadAhead::Request> requests;
    std::shared_ptr<const NeverWalkedMounts> mounts;
    for (std::size_t outstanding = m_ahead.outstanding(); outstanding < ReadAhead::kMostReadsAhead && !m_below.empty();) {
        Below& below = m_below.front();
        if (!below.handle && m_parents.size() >= kMostParentsHeld)
            break;
        // A folder that cannot be opened again has its subfolders read at their turn.
        if (below.handle || openForReaders(below)) {
            if (!mounts)
                mounts = m_mounts.now();
            const QString& name = below.names[below.next];
            requests.push_back({below.path.child(name), WindowsPath::joinName(below.pathText, name), below.handle,
                                NameCodec::encode(name), mounts});
            ++outstanding;
            if (++below.next < below.names.size())
                continue;
        }
        m_below.pop_front();
    }
    if (!requests.empty())
        m_ahead.request(std::move(requests));
}

// The readers open each subfolder in its parent's handle, and the walk looks at it there at
// its turn: the parent is opened once for all of them, and it must be the folder whose
// subfolders were read.
bool FolderReads::openForReaders(Below& below)
{
    below.handle = below.identity ? m_handles.reopen(below.path, *below.identity)
                                  : m_handles.share(below.path, below.pathText);
    if (!below.handle)
        return false;
    m_parents.push_back({below.pathText, below.handle});
    return true;
}

FolderHandles::Look FolderReads::look(QStringView pathText, bool followLink)
{
    const qsizetype cut = pathText.lastIndexOf(u'\\');
    const QStringView parentText = pathText.left(cut == 2 ? 3 : cut);
    const QStringView name = pathText.mid(cut + 1);
    const auto parent = std::find_if(m_parents.cbegin(), m_parents.cend(),
                                     [&](const Parent& candidate) { return candidate.pathText == parentText; });
    if (cut < 2 || parent == m_parents.cend() || name.isEmpty() || name == u"." || name == u".." || name.contains(u'/'))
        return m_handles.look(pathText, followLink);
    // The walk has moved on past the folders before.
    m_parents.erase(m_parents.cbegin(), parent);
    return FolderHandles::lookAt(m_parents.front().handle->descriptor(), NameCodec::encode(name), followLink);
}

void FolderReads::noteFound(const QString& pathText, FolderHandles::Identity identity)
{
    m_foundText = pathText;
    m_found = identity;
}

std::optional<FolderReads::Read> FolderReads::takeReadAhead(QStringView pathText)
{
    if (!m_ahead.isReading() || m_foundText != pathText)
        return std::nullopt;
    std::optional<ReadAhead::Read> read = m_ahead.take(pathText);
    requestMore();
    if (!read || read->entries.identity != m_found)
        return std::nullopt;
    return Read{std::move(read->path), std::move(read->pathText), FolderScan::fromEntries(read->entries)};
}

FolderScan FolderReads::read(FolderReads* shared, const WindowsPath& path, const QString& pathText)
{
    if (shared && shared->m_stop.stop_requested())
        return {};
    if (shared)
        return FolderScan::read(shared->m_handles, path, pathText, *shared->mounts());
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
